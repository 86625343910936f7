// Playing moves and taking them back. Moves are taken back by restoring the
// snapshot pushed before them, never by playing them backwards.
#pragma once

#include "board.hpp"
#include "move.hpp"

namespace tarvik {

// Whether a move resets the half-move clock: a pawn of the side to move on a
// from-square, or a piece of the other side on a to-square.
bool reset_half_move_clock(const Position& position, Bitboard from_mask, Bitboard to_mask);

// Whether a move takes en passant by the rules of chess: a pawn of the side to
// move stepping diagonally onto the empty en-passant square.
bool takes_en_passant(const Position& position, const Move& move);

// Changes the position by one move and hands the turn over. It trusts the move:
// neither legality nor the mover's colour is checked. A move it cannot carry out
// (a square off the board, no piece to move, an unknown promotion letter) fails
// before any field changes.
void make_move(Position& position, const Move& move);

// Pushes the move and a snapshot of the position, then makes the move. The stacks
// grow even when the move then fails, so pop() always has a pair to take back.
void apply_move(Board& board, const Move& move);

// Takes the newest move back and returns it.
Move pop(Board& board);

// Writes a snapshot into the board's position; the stacks stay as they are.
void restore_state(Board& board, const BoardState& state);

}  // namespace tarvik
