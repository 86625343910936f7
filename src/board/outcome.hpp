// How a game has ended, if it has, by python-chess's rules and in its order.
#pragma once

#include <cstdint>
#include <optional>

#include "board.hpp"

namespace tarvik {

// python-chess's Termination values.
enum class Termination : std::uint8_t {
    checkmate = 1,
    stalemate,
    insufficient_material,
    seventyfive_moves,
    fivefold_repetition,
    fifty_moves,
    threefold_repetition,
};

struct Outcome {
    Termination termination;
    std::optional<bool> winner;  // true: White; absent for a draw
};

// Checkmate, insufficient material, stalemate, the seventy-five-move rule, fivefold
// repetition, and when `claim_draw` the draws the side to move could claim (fifty
// moves, threefold repetition); the first that holds, or nothing. Rejects what a
// broken board keeps it from answering (see broken.hpp).
std::optional<Outcome> outcome(const Board& board, bool claim_draw);

// "1-0", "0-1" or "1/2-1/2"; "*" for a game that has not ended.
const char* result_text(const std::optional<Outcome>& outcome);

// The draw claims on their own, with the same rejections.
bool can_claim_fifty_moves(const Board& board);
bool can_claim_threefold_repetition(const Board& board);
bool can_claim_draw(const Board& board);

}  // namespace tarvik
