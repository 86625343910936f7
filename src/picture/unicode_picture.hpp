// The board as text with the Unicode chess symbols, for terminals.
#pragma once

#include <string>
#include <string_view>

#include "../board/board.hpp"

namespace tarvik {

struct UnicodeOptions {
    bool invert_color = false;           // White's pieces drawn with the black symbols and the other way round
    bool borders = false;                // a frame around the squares, and the rank and file names
    std::string_view empty_square = "\u2b58";
    bool white_at_bottom = true;         // false: the board seen from Black's side
};

// Eight lines of eight symbols (rank 8 first when White is at the bottom) joined
// by spaces, or framed with borders and names.
std::string unicode_picture(const Position& position, const UnicodeOptions& options);

}  // namespace tarvik
