// Comments with their commands set, as python-chess's set_clock, set_eval and
// set_arrows write them: the first well-formed command replaced (with the white
// space around it condensed as python-chess condenses it), or the new one added.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "score.hpp"

namespace tarvik::game {

// "[%clk 0:03:00]" for `seconds` (at least 0, finite); none removes the command.
std::string with_clock(std::string_view comment, std::optional<double> seconds);

// "[%eval 0.24,18]" for the score in White's view; none (or a mate in 0, which
// the command cannot say) removes the command.
std::string with_evaluation(std::string_view comment, const std::optional<Score>& score,
                            std::optional<std::uint64_t> depth);

// An arrow drawn on the board ("[%cal Ge2e4]"), or a square marked when tail and
// head are one ("[%csl Rd5]"); colours as python-chess names them.
struct Arrow {
    std::uint8_t tail = 0;
    std::uint8_t head = 0;
    char colour = 'G';  // 'G'reen, 'R'ed, 'Y'ellow or 'B'lue

    friend bool operator==(const Arrow&, const Arrow&) = default;
};

// Every arrow of the comment's well-formed "[%csl ...]" and "[%cal ...]" commands, in order.
std::vector<Arrow> read_arrows(std::string_view comment);

// The comment without those commands, and the arrows written in front: "[%csl ...]"
// for the marked squares, then "[%cal ...]" for the arrows.
std::string with_arrows(std::string_view comment, const std::vector<Arrow>& arrows);

}  // namespace tarvik::game
