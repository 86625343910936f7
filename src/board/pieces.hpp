// Raw access to the piece sets by piece letter. The OR rule places pieces (FEN
// parsing); the XOR rule moves them (applying a move). Neither checks consistency.
#pragma once

#include <array>

#include "board.hpp"

namespace tarvik {

// The piece-type sets in the order a square's piece is looked for, matching
// PIECE_LETTERS: pawn, rook, knight, bishop, queen, king.
inline constexpr std::array<Bitboard Position::*, 6> PIECE_SETS{
    &Position::pawns, &Position::rooks, &Position::knights, &Position::bishops, &Position::queens, &Position::kings};
inline constexpr int NO_PIECE = -1;

// The index into PIECE_SETS of the first set that holds the square, or NO_PIECE.
// Colour plays no part, and on a broken board the first set wins.
inline int piece_on(const Position& position, Bitboard square) {
    // Most squares a move looks at are empty: one test over all six sets answers those.
    const Bitboard pieces = position.pawns | position.rooks | position.knights | position.bishops |
                            position.queens | position.kings;
    if (!(pieces & square)) return NO_PIECE;
    for (int piece = 0; piece < 6; ++piece) {
        if (position.*PIECE_SETS[piece] & square) return piece;
    }
    return NO_PIECE;
}

// The piece letter (p r n b q k) of a move's mover: the first piece set that holds
// the origin, as apply_move finds it; '\0' for an empty origin.
inline char mover_letter(const Position& position, const Move& move) {
    const int piece = piece_on(position, SQUARE_MASKS[move.from_square]);
    return piece == NO_PIECE ? '\0' : PIECE_LETTERS[std::size_t(piece)];
}

// The piece-type set named by P, R, N, B, Q or K in either case; nullptr for any
// other character.
Bitboard* piece_set(Position& position, char32_t letter);
const Bitboard* piece_set(const Position& position, char32_t letter);

// Also W (white pieces) and A (all pieces), in either case.
Bitboard get_pieces(const Position& position, char32_t letter);

// Adds `bitboard` to the letter's piece-type set and to the colour set of its case.
void set_pieces_or(Position& position, char32_t letter, Bitboard bitboard);

// Toggles `bitboard` in the letter's piece-type set only.
void set_pieces_xor(Position& position, char32_t letter, Bitboard bitboard);

}  // namespace tarvik
