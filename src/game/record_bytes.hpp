// A game record as bytes, for pickling: everything but the starting board, which
// travels beside it as a Board.
#pragma once

#include <string>
#include <string_view>

#include "record.hpp"

namespace tarvik::game {

std::string record_bytes(const GameRecord& game);

// The record the bytes hold, from `start`. Bytes record_bytes did not write (or
// that hold a move not legal where it stands) are rejected ("invalid Game state").
GameRecord record_from_bytes(const Board& start, std::string_view bytes);

}  // namespace tarvik::game
