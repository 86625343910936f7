// FEN text from a source the caller did not write, read strictly: every fault is
// rejected with a message that names it. The rules are python-chess's, the oracle
// users bring their FEN files from; Board(fen) stays lenient (fen.hpp).
#pragma once

#include <string_view>

#include "board.hpp"

namespace tarvik {

// A board in the position of `fen`, with empty stacks. Accepted: one to six fields
// split on any white space (missing ones read as "w", "-", "-", "0" and "1");
// eight ranks of piece letters and digits 1..8 summing to eight squares each, a
// piece optionally followed by the promotion mark "~"; "w" or "b"; "-" or up to two
// of KQA..H and then up to two of kqa..h; "-" or a square name; clocks as Python's
// int() reads them (a sign, underscores between digits, digits of any script), not
// negative and not beyond 2**32-1 (the largest value a board holds). Anything else
// is RejectedInput naming the fault. The board's FEN text is the position written
// out plainly: no promotion marks, the castling rights that can still be used
// (king and rook at home, KQkq in that order, or "-"), the clocks in decimal and a
// full-move number of at least 1.
Board board_from_strict_fen(std::string_view fen);

// The same board, with what the FEN says beyond it: the squares it marks promoted,
// and the rooks its castling field grants (rook_rights.hpp), usable or not.
struct StrictFen {
    Board board;
    Bitboard promoted;
    Bitboard granted_rooks;
};
StrictFen read_strict_fen(std::string_view fen);

// Whether the text is a castling field python-chess reads: "-", or up to two of
// KQA..H and then up to two of kqa..h (the empty text too).
bool is_castling_field(std::u32string_view field);

// The pieces of a FEN's placement field alone, read as strictly (white space around
// it ignored; a space inside it is a fault of its own). Only the piece and colour
// sets of the result are set.
Position read_board_fen(std::string_view placement);

}  // namespace tarvik
