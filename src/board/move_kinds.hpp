// What a move is and what it would do, asked as python-chess asks it: of any move
// of the side to move, legal or not, read from the sets as they stand. A move with a
// square off the board (64 or more) is rejected, except by is_pseudo_legal, for
// which it is simply not one.
#pragma once

#include "board.hpp"
#include "move.hpp"

namespace tarvik {

// Whether the move is among the side to move's pseudo-legal moves or its castling
// moves, as the generators list them. Rejects what a broken board keeps it from
// answering (see broken.hpp).
bool is_pseudo_legal(const Board& board, const Move& move);

// A pawn (of either colour) moving diagonally, seven or nine squares on, onto the
// empty en-passant square.
bool is_en_passant(const Position& position, const Move& move);

// One of the squares holds a piece of the side not to move, or it takes en passant.
bool is_capture(const Position& position, const Move& move);

// One of the squares holds a pawn or a piece of the side not to move.
bool is_zeroing(const Position& position, const Move& move);

// A king (of either colour) moving more than one file, or onto a rook of the side to
// move; kingside when it moves towards the h-file.
bool is_castling(const Position& position, const Move& move);
bool is_kingside_castling(const Position& position, const Move& move);
bool is_queenside_castling(const Position& position, const Move& move);

// Zeroing, or touching a king or a rook whose castling rights can still be used, or
// played where a legal en-passant capture exists: no later position can repeat one
// before it.
bool is_irreversible(const Board& board, const Move& move);

// Whether the side to move's opponent stands in check after the move, played as
// apply_move plays it.
bool gives_check(const Position& position, const Move& move);

}  // namespace tarvik
