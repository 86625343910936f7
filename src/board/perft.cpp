#include "perft.hpp"

#include <bit>
#include <optional>

#include "apply.hpp"
#include "castling.hpp"
#include "failure.hpp"
#include "generators.hpp"
#include "king_safety.hpp"
#include "legal.hpp"

namespace tarvik {
namespace {

// Moves onto `targets`, a promotion counting as its four moves.
std::uint64_t pawn_move_count(Bitboard targets, Bitboard promotion_rank) {
    return std::popcount(targets & ~promotion_rank) + 4 * std::popcount(targets & promotion_rank);
}

std::uint64_t pawn_push_and_capture_count(const Position& position, Bitboard pawns, Bitboard allowed) {
    const PawnTargets reach = pawn_targets(position, pawns);
    const Bitboard promotion_rank = last_rank(position.turn);
    return pawn_move_count(reach.single_pushes & allowed, promotion_rank) +
           pawn_move_count(reach.double_pushes & allowed, promotion_rank) +
           pawn_move_count(reach.far_captures & allowed, promotion_rank) +
           pawn_move_count(reach.near_captures & allowed, promotion_rank);
}

// Counting is mostly popcount, which baseline x86-64 lacks: the compiler calls an
// emulation in its runtime library. Where the loader can pick one of several builds
// of a function (GNU indirect functions), the count is also built for CPUs with
// POPCNT and for x86-64-v3, and the loader takes the best one the CPU runs; the
// library still runs on every x86-64 CPU. flatten inlines the helpers into each
// build, which out of line would keep the baseline instructions.
// GCC 12 and later are known to accept these build names; other compilers build
// the count once, for the CPUs they target.
#if defined(__x86_64__) && defined(__GLIBC__) && !defined(__clang__) && defined(__GNUC__) && __GNUC__ >= 12 && \
    !defined(__POPCNT__)
#define TARVIK_COUNT_BUILDS __attribute__((flatten, target_clones("arch=x86-64-v3", "popcnt", "default")))
#else
#define TARVIK_COUNT_BUILDS
#endif

// The length of the list that generate_moves would build with these targets,
// found from whole target sets: pawns that are not pinned move together, every
// other piece counts its targets at once.
TARVIK_COUNT_BUILDS std::uint64_t legal_move_count(const Position& position, const KingSafety& safety) {
    const LegalTargets targets{position, safety};
    const Bitboard own = own_pieces(position);
    const Bitboard occupancy = occupied(position);
    const Bitboard pawns = position.pawns & own;

    std::uint64_t count = pawn_push_and_capture_count(position, pawns & ~safety.pinned, safety.evasion_targets);
    for (Bitboard pinned = pawns & safety.pinned; pinned; pinned &= pinned - 1) {
        const Square from = lowest_square(pinned);
        count += pawn_push_and_capture_count(position, SQUARE_MASKS[from], targets.from(from));
    }
    if (position.en_passant) {
        const Square to = *position.en_passant;
        for (Bitboard from = en_passant_origins(position.turn, SQUARE_MASKS[to], pawns); from; from &= from - 1) {
            count += targets.en_passant(lowest_square(from), to);
        }
    }

    const auto add_targets = [&](Bitboard pieces, auto reach) {
        for (; pieces; pieces &= pieces - 1) {
            const Square from = lowest_square(pieces);
            count += std::popcount(reach(from) & ~own & targets.from(from));
        }
    };
    add_targets(position.knights & own, [](Square from) { return KNIGHT_ATTACKS[from]; });
    add_targets(SQUARE_MASKS[safety.king], [](Square from) { return KING_ATTACKS[from]; });
    add_targets((position.bishops | position.queens) & own,
                [occupancy](Square from) { return diagonal_reach(from, occupancy); });
    add_targets((position.rooks | position.queens) & own,
                [occupancy](Square from) { return orthogonal_reach(from, occupancy); });
    return count;
}

// The number of legal moves, failing exactly as legal_moves would.
std::uint64_t count_legal_moves(const Position& position, const CastlingField& field) {
    MoveList moves;
    if (const std::optional<KingSafety> safety = king_safety(position)) {
        castling_moves(position, field, moves);
        return moves.size() + legal_move_count(position, *safety);
    }
    legal_moves(position, field, moves);
    return moves.size();
}

// Each ply of the search keeps its move list on the machine stack (4 KiB), so the
// plies it may go down are bounded: a search that reaches further is rejected, as a
// depth asked for, instead of running out of stack. (Its tree would be far too
// large to count anyway; a depth that no line of moves reaches, as below a mate,
// still counts.)
constexpr unsigned MAX_SEARCH_PLIES = 256;

std::uint64_t perft_from(const Position& position, const CastlingField& field, unsigned depth, unsigned ply) {
    if (depth == 0) return 1;
    // At the last ply the leaves are the legal moves themselves: count, don't list.
    if (depth == 1) return count_legal_moves(position, field);
    MoveList moves;
    legal_moves(position, field, moves);
    if (!moves.empty() && ply == MAX_SEARCH_PLIES) {
        reject("perft cannot search deeper than " + std::to_string(MAX_SEARCH_PLIES) + " plies");
    }
    // Copy-make: every child is a fresh copy of its parent, so nothing has to be
    // taken back and the recursion needs no undo stack.
    std::uint64_t nodes = 0;
    for (const Move& move : moves) {
        Position child = position;
        make_move(child, move);
        nodes += perft_from(child, field, depth - 1, ply + 1);
    }
    return nodes;
}

}  // namespace

std::uint64_t perft(const Position& position, const CastlingField& field, unsigned depth) {
    return perft_from(position, field, depth, 0);
}

}  // namespace tarvik
