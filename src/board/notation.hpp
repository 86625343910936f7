// Moves as text on a board: UCI in, Standard Algebraic Notation out and in. Text
// that names no legal move is rejected with a message that quotes it and the
// position's FEN, and the board is never changed.
#pragma once

#include <string>
#include <string_view>

#include "board.hpp"
#include "move.hpp"

namespace tarvik {

// The legal move that UCI text names ("invalid uci" or "illegal uci" otherwise).
Move legal_move_from_uci(const Board& board, std::string_view text);

// The SAN of a legal move, with "+" or "#" ("illegal move" for any other move):
// the piece letter (none for pawns), the file and/or rank of the origin where
// another piece of the same kind could go to the same square, "x" for captures
// (after the origin file for pawns), the target, "=Q" and the like for
// promotions; "O-O" and "O-O-O" for castling.
std::string san(const Board& board, const Move& move);

// The legal move that SAN text names. Besides what san() writes it accepts text
// without check marks, "0-0" and "0-0-0", promotions without "=", origins given
// in full, and a trailing "!", "?", "!!", "??", "!?" or "?!". Rejected as
// "invalid san", "illegal san" or "ambiguous san".
Move legal_move_from_san(const Board& board, std::string_view text);

}  // namespace tarvik
