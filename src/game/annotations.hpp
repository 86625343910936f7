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

// Where the command read_clock or read_evaluation reads stands in the comment:
// from its "[" to one past its "]".
struct CommandSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
};
std::optional<CommandSpan> find_clock(std::string_view comment);
std::optional<CommandSpan> find_evaluation(std::string_view comment);

}  // namespace tarvik::game
