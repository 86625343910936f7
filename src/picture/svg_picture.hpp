// The board as an SVG picture: squares, pieces, the file and rank names around
// them, and what a viewer may want marked (the last move, a king in check, arrows).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "../board/board.hpp"
#include "../board/move.hpp"

namespace tarvik {

struct SvgOptions {
    std::optional<std::uint32_t> size = 390;  // width and height in pixels; none: as large as the viewer makes it
    bool flipped = false;                     // Black at the bottom
    std::optional<Move> lastmove;             // its squares on the board are highlighted
    std::optional<std::uint32_t> check;       // a square 0..63 marked in red
    std::vector<std::pair<std::uint32_t, std::uint32_t>> arrows;  // (tail, head) squares 0..63
    bool coordinates = true;                  // a margin with the file and rank names
};

// The picture as SVG text. Rejects a check or arrow square off the board.
std::string board_svg(const Position& position, const SvgOptions& options);

// The picture a notebook shows for a board: 390 pixels, its last move highlighted
// and the king of the side to move marked when it stands in check (not on a broken
// board whose check cannot be told).
std::string notebook_svg(const Board& board);

}  // namespace tarvik
