// The commands servers write into comments: the clock after a move
// ("[%clk 1:02:03.4]") and the engine's evaluation ("[%eval 0.24]", "[%eval #-3]",
// "[%eval 1.5,20]" with its depth). Each is read from its first well-formed
// occurrence, as python-chess reads it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarvik::game {

// The player's remaining time in seconds.
std::optional<double> read_clock(std::string_view comment);

struct Evaluation {
    std::optional<std::int64_t> centipawns;  // from White's point of view: pawns × 100, rounded
    std::optional<std::int64_t> mate;        // moves to mate, negative when Black mates
    std::optional<std::uint64_t> depth;
};

std::optional<Evaluation> read_evaluation(std::string_view comment);

}  // namespace tarvik::game
