// The move logic as first written, kept to check the engine's fast paths against:
// sliders walk square by square, an attacked square is found by generating the
// other side's whole list, and legality is decided by playing each candidate on
// the board and taking it back. Slow on purpose; correct by being plain.
#pragma once

#include <vector>

#include "board/board.hpp"
#include "board/move.hpp"

namespace tarvik::literal {

using Moves = std::vector<Move>;

// The generators of the side to move; they only read the position.
Moves pawn_moves(const Position& position);
Moves knight_moves(const Position& position);
Moves king_moves(const Position& position);
Moves bishop_moves(const Position& position);
Moves rook_moves(const Position& position);
Moves queen_moves(const Position& position);
Moves pseudo_legal_moves(const Position& position);

// These switch the turn or play moves on the board while they work, and leave the
// board and both stacks as they found them, also when they fail.
bool is_attacked(Board& board, unsigned square);  // any square 0..255
bool is_check(Board& board);
Moves castling_moves(Board& board);
Moves legal_moves(Board& board);
bool is_checkmate(Board& board);
bool is_stalemate(Board& board);
bool is_game_over(Board& board);

}  // namespace tarvik::literal
