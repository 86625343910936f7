#include "board.hpp"

#include <array>

namespace tarvik {

std::array<char, 64> square_symbols(const Position& position) {
    const std::array<Bitboard, 6> piece_sets{position.pawns,   position.rooks,  position.knights,
                                             position.bishops, position.queens, position.kings};
    std::array<char, 64> cells;
    cells.fill('.');
    // Black is written after White, so on a broken board a square of both colours shows
    // the black letter, and within a colour the later piece type wins.
    for (const bool white : {true, false}) {
        const Bitboard colour = colour_pieces(position, white);
        for (std::size_t piece = 0; piece < piece_sets.size(); ++piece) {
            const char letter = white ? static_cast<char>(PIECE_LETTERS[piece] - 'a' + 'A') : PIECE_LETTERS[piece];
            bitboard_squares(piece_sets[piece] & colour, [&](Square square) { cells[square] = letter; });
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
