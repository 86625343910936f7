// Setting a position up piece by piece. Every edit keeps the sets consistent (the
// square in one piece set and the colour of its letter, or in none) and clears both
// stacks, as the moves on them no longer lead to the position. The board keeps the
// FEN text it was made from, which set_board() goes back to.
#pragma once

#include "board.hpp"

namespace tarvik {

// Puts the piece of a letter (PNBRQK for White, pnbrqk for Black) on the square,
// replacing whatever stood there; any other letter is rejected.
void set_piece_at(Board& board, Square square, char32_t letter);

// Empties the square; returns the letter the text form showed there, 0 for none.
char remove_piece_at(Board& board, Square square);

// Forgets the moves played: both stacks are emptied, the position stays. Castling
// letters (K, Q, k, q) whose rights could not be used before the first move are
// deleted, as python-chess has dropped them by then.
void clear_stack(Board& board);

// The position seen from the other side: ranks mirrored, colours, side to move and
// castling rights swapped, the en-passant square mirrored (square ^ 56), the clocks
// kept; no moves on the stacks. Its FEN text is its own, and its castling rights
// are those usable in `board` (king and rook at home), mirrored.
Board mirror(const Board& board);

}  // namespace tarvik
