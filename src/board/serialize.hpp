// A game as bytes, for pickling: the position and both undo stacks. The board's
// FEN text, and so its castling field, travel beside it as text.
#pragma once

#include <string>
#include <string_view>

#include "board.hpp"

namespace tarvik {

std::string serialize_game(const Board& board);

// Replaces the board's position and stacks with those the bytes hold. Bytes that
// serialize_game did not write are rejected ("invalid Board state") and the board
// is left as it was.
void deserialize_game(Board& board, std::string_view bytes);

}  // namespace tarvik
