#include "board.hpp"

#include <array>

#include "pieces.hpp"

namespace tarvik {

std::array<char, 64> square_symbols(const Position& position) {
    std::array<char, 64> cells;
    cells.fill('.');
    // Black is written after White, so on a broken board a square of both colours shows
    // the black letter, and within a colour the later piece type wins.
    for (const bool white : {true, false}) {
        const Bitboard colour = colour_pieces(position, white);
        for (const PieceType& type : PIECE_TYPES) {
            const char letter = white ? white_letter(type.letter) : type.letter;
            bitboard_squares(position.*type.set & colour, [&](Square square) { cells[square] = letter; });
        }
    }
    return cells;
}

std::string board_text(const Position& position) {
    const std::array<char, 64> cells = square_symbols(position);
    std::string text;
    text.reserve(127);
    for (int rank = 7; rank >= 0; --rank) {
        for (int file = 0; file < 8; ++file) {
            if (file > 0) text += ' ';
            text += cells[rank * 8 + file];
        }
        if (rank > 0) text += '\n';
    }
    return text;
}

}  // namespace tarvik
