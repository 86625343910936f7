// Legal moves and the end of the game.
#pragma once

#include "board.hpp"
#include "move.hpp"

namespace tarvik {

// The castling moves, then every pseudo-legal move after which the mover's king
// is not attacked (by the other side's pseudo-legal moves), in generation order.
// Candidates are judged on the position alone or on copies of it, so the board
// and its stacks are never touched, also when the call fails.
void legal_moves(const Position& position, const CastlingField& field, MoveList& moves);

// Whether a move with the same squares and promotion is among the legal moves.
bool is_legal_move(const Position& position, const CastlingField& field, const Move& move);

bool is_checkmate(const Position& position, const CastlingField& field);
bool is_stalemate(const Position& position, const CastlingField& field);
bool is_game_over(const Position& position, const CastlingField& field);

}  // namespace tarvik
