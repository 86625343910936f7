// Attacked squares. A square counts as attacked when the side not to move has a
// pseudo-legal move onto it; is_destination answers that without generating the
// list, and agrees with the generated list in every position, broken ones included.
#pragma once

#include "board.hpp"

namespace tarvik {

// Raises the failure that generating the pseudo-legal moves of a side would
// raise: an en-passant square off the board (the pawn generator runs first), then
// a side without a king.
void require_generable(const Position& position, bool white);

// Whether some pseudo-legal move of the given side lands on `target` (0..63).
// The side's moves must be generable.
bool is_destination(const Position& position, bool white, Square target);

// Whether the side not to move has a pseudo-legal move onto `square` (0..255;
// squares off the board are never reached).
bool is_attacked(const Position& position, unsigned square);

// Whether the highest king of the side to move stands on such a square.
bool is_check(const Position& position);

// The pieces of the given side that attack `target` by the rules of chess, over
// the given occupancy: pawns only diagonally forward, sliders up to the first piece.
Bitboard attackers(const Position& position, bool white, Square target, Bitboard occupancy);

// Whether some piece of the given side attacks `target` by the rules of chess.
// Fails as generating that side's moves would.
bool attacked_by_rules(const Position& position, bool white, Square target);

}  // namespace tarvik
