// Positions from FEN text and FEN text from positions. The parse is lenient: only
// the number of fields, the squares the placement reaches and the piece letters
// can fail.
#pragma once

#include <string>
#include <string_view>

#include "board.hpp"

namespace tarvik {

inline constexpr std::string_view DEFAULT_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// A board in the position of `fen`, with empty stacks.
Board board_from_fen(std::string fen);

// A board in `position`, its castling rights those of the FEN castling field
// `castling` (any text; "-" for none), with empty stacks; its FEN text is `fen`,
// which the caller has written for the position, or else to_fen's.
Board board_from_position(Position position, std::string_view castling, std::string fen);
Board board_from_position(Position position, std::string_view castling);

// Puts the board back in the position of its own FEN; the stacks stay as they are.
void set_board(Board& board);

// The placement field of FEN: each square as the text form shows it, rank 8 first.
std::string board_fen(const Position& position);

// The current position as FEN: each square as the text form shows it, the side to
// move, the castling text ("-" when absent or empty), the en-passant square's name
// ("-" when there is none) and both clocks as stored.
std::string to_fen(const Board& board);

// The same for a position reached from a board's FEN, whose castling field it reads.
std::string to_fen(const Position& position, const CastlingField& field);

}  // namespace tarvik
