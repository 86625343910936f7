// Raw access to the piece sets by piece letter. The OR rule places pieces (FEN
// parsing); the XOR rule moves them (applying a move). Neither checks consistency.
#pragma once

#include "board.hpp"

namespace tarvik {

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
