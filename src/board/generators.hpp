// The six move generators of the side to move, written once for two uses. A
// Targets policy says where the piece on each origin may go:
//
//   Bitboard from(Square origin)         the squares it may move to
//   bool en_passant(Square from, Square to)  whether that en-passant capture is kept
//
// Pseudo-legal generation (movegen.cpp) lets every piece go wherever it reaches;
// legal generation (legal.cpp) narrows the targets by pins and checks. Either way
// the moves come in the same fixed order, so a legal list is the pseudo-legal list
// with moves left out. The order: origins and targets highest square first, except
// that a slider walks each ray nearest square first, ray by ray in its table's order.
#pragma once

#include <cstddef>
#include <utility>

#include "bitboard.hpp"
#include "board.hpp"
#include "failure.hpp"
#include "move.hpp"
#include "sliders.hpp"

namespace tarvik {

struct EveryTarget {
    Bitboard from(Square) const { return ~Bitboard{0}; }
    bool en_passant(Square, Square) const { return true; }
};

// Where the given pawns of the side to move go, as whole sets of target squares.
// A capture's pawn stands nine or seven squares behind its target (as the mover
// sees it) and never on the file the capture would wrap around from.
struct PawnTargets {
    Bitboard single_pushes;
    Bitboard double_pushes;  // from the home rank, over an empty square
    Bitboard far_captures;   // taken by the pawn nine squares behind
    Bitboard near_captures;  // taken by the pawn seven squares behind
};

inline PawnTargets pawn_targets(const Position& position, Bitboard pawns) {
    const bool white = position.turn;
    const Bitboard empty = ~occupied(position);
    const Bitboard enemy = enemy_pieces(position);
    const Bitboard single = (white ? pawns << 8 : pawns >> 8) & empty;
    return {
        single,
        (white ? single << 8 : single >> 8) & empty & (white ? RANK_4 : RANK_5),
        (white ? (pawns << 9) & NOT_FILE_A : (pawns >> 9) & NOT_FILE_H) & enemy,
        (white ? (pawns << 7) & NOT_FILE_H : (pawns >> 7) & NOT_FILE_A) & enemy,
    };
}

// The rank a pawn of the side to move promotes on.
inline Bitboard last_rank(bool white) { return white ? 0xFF00000000000000ull : 0xFFull; }

inline void add_pawn_move(MoveList& moves, Square from, Square to, bool promotes) {
    if (!promotes) {
        moves.push_back({from, to});
        return;
    }
    for (const char32_t letter : {U'q', U'r', U'n', U'b'}) moves.push_back({from, to, letter});
}

// Single pushes, double pushes, captures (onto each target the far pawn first),
// then en passant; promotions as four moves, q, r, n, b.
template <class Targets>
void generate_pawn_moves(const Position& position, const Targets& targets, MoveList& moves) {
    const bool white = position.turn;
    const Bitboard pawns = position.pawns & own_pieces(position);
    const PawnTargets reach = pawn_targets(position, pawns);
    const Bitboard promotion_rank = last_rank(white);
    const auto add = [&](Square from, Square to) {
        if (targets.from(from) & SQUARE_MASKS[to]) add_pawn_move(moves, from, to, promotion_rank & SQUARE_MASKS[to]);
    };
    const auto behind = [white](Square to, Square squares) { return white ? to - squares : to + squares; };

    bitboard_squares(reach.single_pushes, [&](Square to) { add(behind(to, 8), to); });
    bitboard_squares(reach.double_pushes, [&](Square to) { add(behind(to, 16), to); });
    bitboard_squares(reach.far_captures | reach.near_captures, [&](Square to) {
        if (reach.far_captures & SQUARE_MASKS[to]) add(behind(to, 9), to);
        if (reach.near_captures & SQUARE_MASKS[to]) add(behind(to, 7), to);
    });

    if (!position.en_passant) return;
    const Square en_passant = *position.en_passant;
    if (en_passant >= 64) fail_square_index(en_passant);
    bitboard_squares(en_passant_origins(white, SQUARE_MASKS[en_passant], pawns), [&](Square from) {
        if (targets.en_passant(from, en_passant)) moves.push_back({from, en_passant});
    });
}

template <class Targets>
void generate_knight_moves(const Position& position, const Targets& targets, MoveList& moves) {
    const Bitboard own = own_pieces(position);
    bitboard_squares(position.knights & own, [&](Square from) {
        bitboard_squares(KNIGHT_ATTACKS[from] & ~own & targets.from(from),
                         [&](Square to) { moves.push_back({from, to}); });
    });
}

// Only the highest king of a side moves; a side without a king fails.
template <class Targets>
void generate_king_moves(const Position& position, const Targets& targets, MoveList& moves) {
    const Bitboard own = own_pieces(position);
    const Bitboard kings = position.kings & own;
    if (!kings) fail_missing_king();
    const Square from = highest_square(kings);
    bitboard_squares(KING_ATTACKS[from] & ~own & targets.from(from), [&](Square to) { moves.push_back({from, to}); });
}

// The targets of one ray, nearest square first.
template <std::size_t direction>
void add_ray_moves(Square from, Bitboard targets, MoveList& moves) {
    Bitboard ray = targets & RAYS[direction][from];
    while (ray) {
        const Square to = increasing_ray(direction) ? lowest_square(ray) : highest_square(ray);
        ray ^= SQUARE_MASKS[to];
        moves.push_back({from, to});
    }
}

// A slider's reach is looked up whole and then split by ray, so that its moves
// come ray by ray in the order of `directions`, each ray nearest square first.
template <const auto& directions, class Targets>
void generate_slider_moves(const Position& position, Bitboard pieces, Bitboard (*reach)(Square, Bitboard),
                           const Targets& targets, MoveList& moves) {
    const Bitboard own = own_pieces(position);
    const Bitboard occupancy = occupied(position);
    bitboard_squares(pieces & own, [&](Square from) {
        const Bitboard to = reach(from, occupancy) & ~own & targets.from(from);
        [&]<std::size_t... i>(std::index_sequence<i...>) {
            (add_ray_moves<directions[i]>(from, to, moves), ...);
        }(std::make_index_sequence<directions.size()>{});
    });
}

inline Bitboard queen_reach(Square square, Bitboard occupied) {
    return diagonal_reach(square, occupied) | orthogonal_reach(square, occupied);
}

template <class Targets>
void generate_bishop_moves(const Position& position, const Targets& targets, MoveList& moves) {
    generate_slider_moves<BISHOP_RAYS>(position, position.bishops, diagonal_reach, targets, moves);
}

template <class Targets>
void generate_rook_moves(const Position& position, const Targets& targets, MoveList& moves) {
    generate_slider_moves<ROOK_RAYS>(position, position.rooks, orthogonal_reach, targets, moves);
}

template <class Targets>
void generate_queen_moves(const Position& position, const Targets& targets, MoveList& moves) {
    generate_slider_moves<QUEEN_RAYS>(position, position.queens, queen_reach, targets, moves);
}

// Pawn, knight, king, bishop, rook, queen: the king's moves come before the bishops'.
template <class Targets>
void generate_moves(const Position& position, const Targets& targets, MoveList& moves) {
    generate_pawn_moves(position, targets, moves);
    generate_knight_moves(position, targets, moves);
    generate_king_moves(position, targets, moves);
    generate_bishop_moves(position, targets, moves);
    generate_rook_moves(position, targets, moves);
    generate_queen_moves(position, targets, moves);
}

}  // namespace tarvik
