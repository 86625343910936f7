// Setting a position up piece by piece. Every edit keeps the sets consistent (the
// square in one piece set and the colour of its letter, or in none) and clears both
// stacks, as the moves on them no longer lead to the position. The board keeps the
// FEN text it was made from, which set_board() goes back to.
#pragma once

#include <span>
#include <string_view>
#include <utility>

#include "board.hpp"

namespace tarvik {

// Puts the piece of a letter (PNBRQK for White, pnbrqk for Black) on the square,
// replacing whatever stood there; any other letter is rejected.
void set_piece_at(Board& board, Square square, char32_t letter);

// Empties the square; returns the letter the text form showed there, 0 for none.
char remove_piece_at(Board& board, Square square);

// Replaces the pieces with those of a FEN placement field, read strictly
// (read_board_fen); side to move, castling rights, en-passant square and clocks stay.
void set_board_fen(Board& board, std::string_view placement);

// Replaces the pieces with the letters of (square, letter) pairs, as set_piece_at
// puts them; a letter it would reject is rejected before anything changes.
void set_piece_map(Board& board, std::span<const std::pair<Square, char32_t>> pieces);

// Replaces the castling rights with those of a castling field as python-chess reads
// it ("", "-", or KQA..H then kqa..h, up to two of each): each character grants a
// rook square of its side's back rank by the position as it stands (granted_rooks).
// Of those only the corners can ever be used, so the board keeps the corners, as K,
// Q, k and q; they become usable whenever king and rook stand at home. The board's
// FEN text becomes the current position's with these rights.
void set_castling_fen(Board& board, std::string_view castling);

// The rook squares of the castling rights that can be used: in a corner, the side's
// king on e1 or e8, the right not lost in play.
Bitboard clean_castling_rights(const Board& board);

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
