// An engine's evaluation of a position from one side's point of view: centipawns,
// or moves to mate. Mate in 0 is the side whose view it is being mated; its
// opposite, seen from the winner, is "mate given". Read from comments
// ("[%eval 0.24]" is White's view) and written back to them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>

#include "annotations.hpp"

namespace tarvik::game {

struct Score {
    enum class Kind : std::uint8_t { centipawns, mate, mate_given };

    bool turn = true;  // whose point of view: true for White
    Kind kind = Kind::centipawns;
    std::int64_t value = 0;  // centipawns, or moves to mate (negative: being mated); 0 for mate given

    // The same score seen by `color`.
    Score pov(bool color) const;

    // Centipawns; a mate as mate_score less the moves to it (negated when being
    // mated); none for a mate without mate_score.
    std::optional<std::int64_t> centipawns(std::optional<std::int64_t> mate_score) const;
    // Moves to mate (0 for mate given or being mated), none for centipawns.
    std::optional<std::int64_t> mate() const { return kind == Kind::centipawns ? std::nullopt : std::optional(value); }

    // A key that orders scores of one point of view from worst to best: being
    // mated now, mated later, centipawns, mating later, mating sooner, mate given.
    std::tuple<int, std::int64_t> order() const;

    friend bool operator==(const Score& a, const Score& b) { return a.pov(true).order() == b.pov(true).order(); }
};

// The score a comment's evaluation gives the side to move after the move, as
// python-chess reads it: "#0" is the side to move being mated.
Score score_of(const Evaluation& evaluation, bool turn);

// "[%eval 0.24]", "[%eval #-3,20]": the command written for a score (in White's
// view), or "" for mate given or being mated, which the command cannot say.
std::string evaluation_command(const Score& score, std::optional<std::uint64_t> depth);

}  // namespace tarvik::game
