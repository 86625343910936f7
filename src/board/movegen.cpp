#include "movegen.hpp"

#include <utility>

#include "failure.hpp"

namespace tarvik {
namespace {

void add_pawn_move(MoveList& moves, Square from, Square to, bool promotes) {
    if (!promotes) {
        moves.push_back({from, to});
        return;
    }
    for (const char32_t letter : {U'q', U'r', U'n', U'b'}) moves.push_back({from, to, letter});
}

template <class Visit>
void squares_lowest_first(Bitboard set, Visit&& visit) {
    while (set) {
        const Square square = lowest_square(set);
        set &= set - 1;
        visit(square);
    }
}

// One ray of a slider on `from`: it ends at its first occupied square, which it
// takes only from the enemy; squares come nearest first.
template <std::size_t direction, class Add>
void slider_ray(Square from, Bitboard occupancy, Bitboard own, Add&& add) {
    const Bitboard targets = ray_reach(direction, from, occupancy) & ~own;
    if constexpr (increasing_ray(direction)) {
        squares_lowest_first(targets, add);
    } else {
        bitboard_squares(targets, add);
    }
}

// The directions are a compile-time table, so each ray's walking order is fixed
// when the code is generated.
template <const auto& directions>
void slider_moves(const Position& position, Bitboard origins, MoveList& moves) {
    const Bitboard own = own_pieces(position);
    const Bitboard occupancy = occupied(position);
    bitboard_squares(origins & own, [&](Square from) {
        const auto add = [&](Square to) { moves.push_back({from, to}); };
        [&]<std::size_t... i>(std::index_sequence<i...>) {
            (slider_ray<directions[i]>(from, occupancy, own, add), ...);
        }(std::make_index_sequence<directions.size()>{});
    });
}

}  // namespace

void pawn_moves(const Position& position, MoveList& moves) {
    const bool white = position.turn;
    const Bitboard pawns = position.pawns & own_pieces(position);
    const Bitboard empty = ~occupied(position);
    const unsigned last_rank = white ? 8 : 1;
    const auto forward = [white](Bitboard set) { return white ? set << 8 : set >> 8; };
    const auto back = [white](Square square, unsigned ranks) { return white ? square - 8 * ranks : square + 8 * ranks; };

    const Bitboard single_pushes = forward(pawns) & empty;
    bitboard_squares(single_pushes, [&](Square to) { add_pawn_move(moves, back(to, 1), to, RANK_OF[to] == last_rank); });

    const Bitboard double_pushes = forward(single_pushes) & empty & (white ? RANK_4 : RANK_5);
    bitboard_squares(double_pushes, [&](Square to) { moves.push_back({back(to, 2), to}); });

    const Bitboard captures = (white ? ((pawns << 9) & NOT_FILE_A) | ((pawns << 7) & NOT_FILE_H)
                                     : ((pawns >> 9) & NOT_FILE_H) | ((pawns >> 7) & NOT_FILE_A)) &
                              enemy_pieces(position);
    bitboard_squares(captures, [&](Square to) {
        // The pawn nine squares behind the target comes before the one seven behind.
        const Bitboard target = SQUARE_MASKS[to];
        const Bitboard far_pawn = (white ? (target >> 9) & NOT_FILE_H : (target << 9) & NOT_FILE_A) & pawns;
        const Bitboard near_pawn = (white ? (target >> 7) & NOT_FILE_A : (target << 7) & NOT_FILE_H) & pawns;
        const bool promotes = RANK_OF[to] == last_rank;
        if (far_pawn) add_pawn_move(moves, lowest_square(far_pawn), to, promotes);
        if (near_pawn) add_pawn_move(moves, lowest_square(near_pawn), to, promotes);
    });

    if (!position.en_passant) return;
    const Square en_passant = *position.en_passant;
    if (en_passant >= 64) fail_square_index(en_passant);
    bitboard_squares(en_passant_origins(white, SQUARE_MASKS[en_passant], pawns),
                     [&](Square from) { moves.push_back({from, en_passant}); });
}

void knight_moves(const Position& position, MoveList& moves) {
    const Bitboard own = own_pieces(position);
    bitboard_squares(position.knights & own, [&](Square from) {
        bitboard_squares(KNIGHT_ATTACKS[from] & ~own, [&](Square to) { moves.push_back({from, to}); });
    });
}

void king_moves(const Position& position, MoveList& moves) {
    const Bitboard own = own_pieces(position);
    const Bitboard kings = position.kings & own;
    if (!kings) fail_missing_king();
    // Only the highest king of a side moves.
    const Square from = highest_square(kings);
    bitboard_squares(KING_ATTACKS[from] & ~own, [&](Square to) { moves.push_back({from, to}); });
}

void bishop_moves(const Position& position, MoveList& moves) {
    slider_moves<BISHOP_RAYS>(position, position.bishops, moves);
}

void rook_moves(const Position& position, MoveList& moves) { slider_moves<ROOK_RAYS>(position, position.rooks, moves); }

void queen_moves(const Position& position, MoveList& moves) {
    slider_moves<QUEEN_RAYS>(position, position.queens, moves);
}

void pseudo_legal_moves(const Position& position, MoveList& moves) {
    pawn_moves(position, moves);
    knight_moves(position, moves);
    king_moves(position, moves);
    bishop_moves(position, moves);
    rook_moves(position, moves);
    queen_moves(position, moves);
}

}  // namespace tarvik
