// The piece a picture shows on a square, read from the piece sets the way
// python-chess reads its own: a square counts as occupied when a colour set holds
// it; its piece is the first of pawn, knight, bishop, rook and queen whose set holds
// it, else a king; its colour is White when the white set holds it. So a broken
// board (a square in several sets, in both colours or in none) still gets one answer.
#pragma once

#include "../board/board.hpp"

namespace tarvik {

// The piece letter (upper case for White), or 0 for an empty square.
inline char square_piece(const Position& position, Square square) {
    const Bitboard mask = SQUARE_MASKS[square];
    if (!(occupied(position) & mask)) return 0;
    char letter = 'k';
    if (position.pawns & mask) {
        letter = 'p';
    } else if (position.knights & mask) {
        letter = 'n';
    } else if (position.bishops & mask) {
        letter = 'b';
    } else if (position.rooks & mask) {
        letter = 'r';
    } else if (position.queens & mask) {
        letter = 'q';
    }
    return position.white_pieces & mask ? static_cast<char>(letter - 'a' + 'A') : letter;
}

}  // namespace tarvik
