// A game made from a board: the moves it played, as a record to export.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "board/board.hpp"
#include "record.hpp"

namespace tarvik::game {

using TagPairs = std::vector<std::pair<std::string, std::string>>;

// The board's move stack as the mainline, from the position before its first move
// (the board's position when it played none). The tags are `tags` (but FEN and
// SetUp, which describe the board's start), then FEN and SetUp for a start other
// than the standard one, then Result (the board's result:
// "1-0", "0-1", "1/2-1/2" for mate, stalemate, insufficient material, the
// seventy-five-move rule or fivefold repetition, else "*") where `tags` give none.
// Rejects a move that is not legal where it was played, a tag name other than
// letters, digits and _+#=:- (not starting with one of those five), and a value
// with a line break.
GameRecord game_from_board(const Board& board, const TagPairs& tags);

}  // namespace tarvik::game
