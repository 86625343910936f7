// The starting position a game's tags ask for.
#pragma once

#include "game_text.hpp"
#include "record.hpp"

namespace tarvik::game {

// Sets game.start from the FEN tag (the standard start without one) and says
// whether the moves can be read: not for a variant other than standard chess, nor
// when the FEN tag is malformed or asks for castling only Chess960 knows. Then the
// game's one error says why, and game.start is the standard start. The game is
// being read: its tags' texts are in `text`.
bool set_up_start(GameRecord& game, const GameText& text);

// The standard starting position, shared by every game that starts there.
const Board& standard_start();

}  // namespace tarvik::game
