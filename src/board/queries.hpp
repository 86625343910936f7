// What stands where and what it attacks, read from the sets as they stand. Every
// question has an answer on any board, broken ones included: a square shows the
// piece the text form shows, attacks follow the rules of chess over the colour sets.
#pragma once

#include <optional>

#include "board.hpp"

namespace tarvik {

// The letter the text form shows on the square (upper case for White), or 0 when
// it shows none: on a broken board the black letter of a square in both colours,
// the last of P R N B Q K of a square in several sets, nothing for a set without colour.
char piece_letter_at(const Position& position, Square square);

// The side's highest king, the one that moves and that checks are looked for on.
std::optional<Square> king_square(const Position& position, bool white);

// The squares the piece shown on `square` attacks by the rules of chess over the
// colour sets: a pawn diagonally forward, a slider up to the first piece; none for
// an empty square. A piece attacks squares of its own side too.
Bitboard attacks_from(const Position& position, Square square);

// The pieces of the side not to move that attack the side to move's king.
Bitboard checkers(const Position& position);

// The line through the side's king and `square` when `square` stands alone between
// that king and a slider of the other side able to move along it (whatever stands
// on `square`, if anything); every square when there is no such pin.
Bitboard pin_line(const Position& position, bool white, Square square);

}  // namespace tarvik
