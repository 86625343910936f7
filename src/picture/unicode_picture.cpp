#include "unicode_picture.hpp"

#include "square_piece.hpp"

namespace tarvik {
namespace {

std::string_view symbol(char letter) {
    switch (letter) {
        case 'K': return "\u2654";
        case 'Q': return "\u2655";
        case 'R': return "\u2656";
        case 'B': return "\u2657";
        case 'N': return "\u2658";
        case 'P': return "\u2659";
        case 'k': return "\u265a";
        case 'q': return "\u265b";
        case 'r': return "\u265c";
        case 'b': return "\u265d";
        case 'n': return "\u265e";
        default: return "\u265f";
    }
}

char swap_case(char letter) { return static_cast<char>(letter ^ 0x20); }

constexpr std::string_view FRAME_LINE = "  -----------------\n";

}  // namespace

std::string unicode_picture(const Position& position, const UnicodeOptions& options) {
    std::string text;
    for (int row = 0; row < 8; ++row) {
        const int rank = options.white_at_bottom ? 7 - row : row;
        if (options.borders) {
            text += FRAME_LINE;
            text += static_cast<char>('1' + rank);
            text += ' ';
        }
        for (int column = 0; column < 8; ++column) {
            const int file = options.white_at_bottom ? column : 7 - column;
            if (options.borders) {
                text += '|';
            } else if (column > 0) {
                text += ' ';
            }
            const char letter = square_piece(position, Square(8 * rank + file));
            if (letter) {
                text += symbol(options.invert_color ? swap_case(letter) : letter);
            } else {
                text += options.empty_square;
            }
        }
        if (options.borders) text += '|';
        if (options.borders || row < 7) text += '\n';
    }
    if (options.borders) {
        text += FRAME_LINE;
        text += options.white_at_bottom ? "   a b c d e f g h" : "   h g f e d c b a";
    }
    return text;
}

}  // namespace tarvik
