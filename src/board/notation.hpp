// Moves as text on a board: UCI in, Standard Algebraic Notation out and in. Text
// that names no legal move is rejected with a message that quotes it and the
// position's FEN, and the board is never changed.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "board.hpp"
#include "move.hpp"

namespace tarvik {

// The legal move that UCI text names ("invalid uci" or "illegal uci" otherwise).
Move legal_move_from_uci(const Board& board, std::string_view text);

// The legal move from one square to another, as python-chess's find_move finds it: a
// pawn reaching the first or last rank promotes to a queen unless `promotion` says
// otherwise, and a king on e1 or e8 taking its own rook's corner castles. Rejected
// as "no matching legal move", also on a broken board that lists no moves.
Move legal_move_from_squares(const Board& board, Square from, Square to, std::optional<char32_t> promotion);

// The SAN of a legal move, with "+" or "#" ("illegal move" for any other move):
// the piece letter (none for pawns), the file and/or rank of the origin where
// another piece of the same kind could go to the same square, "x" for captures
// (after the origin file for pawns), the target, "=Q" and the like for
// promotions; "O-O" and "O-O-O" for castling.
std::string san(const Board& board, const Move& move);

// The long algebraic notation of a legal move: as san() writes it, but with the
// origin square always written after the piece letter (none for pawns) and "-"
// between the squares of a move that takes nothing: "Ng1-f3", "e4xd5", "O-O".
std::string lan(const Board& board, const Move& move);

// The SAN of a line of legal moves played one after the other from the board's
// position, numbered by the full-move number: "1. e4 e5 2. Nf3", or "7...Nf6 8. d4"
// for a line that starts with Black. The board is not changed. A move that is not
// legal where it stands is rejected as san() rejects it, naming that position.
std::string variation_san(const Board& board, std::span<const Move> moves);

// The legal move that SAN text names. Besides what san() writes it accepts text
// without check marks, "0-0" and "0-0-0", promotions without "=", origins given
// in full, and a trailing "!", "?", "!!", "??", "!?" or "?!". Rejected as
// "invalid san", "illegal san" or "ambiguous san".
Move legal_move_from_san(const Board& board, std::string_view text);

}  // namespace tarvik
