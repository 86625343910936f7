// The pseudo-legal move generators of the side to move. They never ask whether the
// mover's king is left attacked; they only read the position and append to a list
// in a fixed order, which is part of their contract.
#pragma once

#include "board.hpp"
#include "move.hpp"

namespace tarvik {

void pawn_moves(const Position& position, MoveList& moves);
void knight_moves(const Position& position, MoveList& moves);
void king_moves(const Position& position, MoveList& moves);
void bishop_moves(const Position& position, MoveList& moves);
void rook_moves(const Position& position, MoveList& moves);
void queen_moves(const Position& position, MoveList& moves);

// The six lists above, joined in this order: pawn, knight, king, bishop, rook, queen.
void pseudo_legal_moves(const Position& position, MoveList& moves);

}  // namespace tarvik
