// Whether a position could occur in a game, as python-chess's Board.status() judges
// it, with the same flag bits; and one bit of tarvik's own for piece and colour sets
// that disagree, which only raw set edits make.
#pragma once

#include <cstdint>

#include "board.hpp"

namespace tarvik {

enum Status : std::uint32_t {
    NO_WHITE_KING = 1u << 0,
    NO_BLACK_KING = 1u << 1,
    TOO_MANY_KINGS = 1u << 2,
    TOO_MANY_WHITE_PAWNS = 1u << 3,
    TOO_MANY_BLACK_PAWNS = 1u << 4,
    PAWNS_ON_BACKRANK = 1u << 5,
    TOO_MANY_WHITE_PIECES = 1u << 6,
    TOO_MANY_BLACK_PIECES = 1u << 7,
    BAD_CASTLING_RIGHTS = 1u << 8,
    INVALID_EP_SQUARE = 1u << 9,
    OPPOSITE_CHECK = 1u << 10,
    EMPTY = 1u << 11,
    TOO_MANY_CHECKERS = 1u << 15,
    IMPOSSIBLE_CHECK = 1u << 16,
    // A square in several piece sets or in both colours, or in a piece set and no
    // colour, or in a colour and no piece set.
    INCONSISTENT_SETS = 1u << 31,
};

// The problems of the board's position, 0 when there are none. Castling rights are
// judged as python-chess judges them: only while no move has been played, as rights
// the text grants (K the outermost rook right of the king, Q the one on its left, a
// file letter its rook) that cannot be used (the king on e1 or e8 and the rook in its
// corner).
std::uint32_t status(const Board& board);

}  // namespace tarvik
