#include "attacks.hpp"

#include "failure.hpp"
#include "sliders.hpp"

namespace tarvik {

void require_generable(const Position& position, bool white) {
    if (position.en_passant && *position.en_passant >= 64) fail_square_index(*position.en_passant);
    if (!(position.kings & colour_pieces(position, white))) fail_missing_king();
}

bool is_destination(const Position& position, bool white, Square target) {
    const Bitboard square = SQUARE_MASKS[target];
    const Bitboard own = colour_pieces(position, white);
    const Bitboard enemy = colour_pieces(position, !white);
    const Bitboard pawns = position.pawns & own;

    // Captures and en passant are the only moves that may land on a square that
    // also holds a piece of the mover's colour.
    if ((square & enemy) && (pawn_capturers(white, square) & pawns)) return true;
    if (position.en_passant == target && en_passant_origins(white, square, pawns)) return true;
    if (square & own) return false;

    const Bitboard occupancy = own | enemy;
    if (!(square & occupancy)) {
        const Bitboard one_back = white ? square >> 8 : square << 8;
        if (one_back & pawns) return true;
        const Bitboard double_rank = white ? RANK_4 : RANK_5;
        const Bitboard two_back = white ? square >> 16 : square << 16;
        if ((square & double_rank) && !(one_back & occupancy) && (two_back & pawns)) return true;
    }
    if (KNIGHT_ATTACKS[target] & position.knights & own) return true;
    // Only the highest king of a side moves.
    if (KING_ATTACKS[highest_square(position.kings & own)] & square) return true;
    const Bitboard diagonal_sliders = (position.bishops | position.queens) & own & DIAGONALS[target];
    if (diagonal_sliders && (diagonal_reach(target, occupancy) & diagonal_sliders)) return true;
    const Bitboard orthogonal_sliders = (position.rooks | position.queens) & own & ORTHOGONALS[target];
    return orthogonal_sliders && (orthogonal_reach(target, occupancy) & orthogonal_sliders);
}

bool is_attacked(const Position& position, unsigned square) {
    require_generable(position, !position.turn);
    return square < 64 && is_destination(position, !position.turn, square);
}

bool is_check(const Position& position) {
    require_generable(position, !position.turn);
    const Bitboard kings = position.kings & own_pieces(position);
    return kings && is_destination(position, !position.turn, highest_square(kings));
}

Bitboard attackers(const Position& position, bool white, Square target, Bitboard occupancy) {
    const Bitboard own = colour_pieces(position, white);
    Bitboard found = ((pawn_capturers(white, SQUARE_MASKS[target]) & position.pawns) |
                      (KNIGHT_ATTACKS[target] & position.knights) | (KING_ATTACKS[target] & position.kings)) &
                     own;
    // Rays are walked only when a slider stands on one of the target's lines.
    const Bitboard diagonal_sliders = (position.bishops | position.queens) & own & DIAGONALS[target];
    if (diagonal_sliders) found |= diagonal_reach(target, occupancy) & diagonal_sliders;
    const Bitboard orthogonal_sliders = (position.rooks | position.queens) & own & ORTHOGONALS[target];
    if (orthogonal_sliders) found |= orthogonal_reach(target, occupancy) & orthogonal_sliders;
    return found;
}

bool attacked_by_rules(const Position& position, bool white, Square target) {
    require_generable(position, white);
    return attackers(position, white, target, occupied(position)) != 0;
}

}  // namespace tarvik
