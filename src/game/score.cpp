#include "score.hpp"

#include <charconv>

namespace tarvik::game {

Score Score::pov(bool color) const {
    if (color == turn) return *this;
    switch (kind) {
    case Kind::centipawns: return {color, kind, -value};
    case Kind::mate: return value == 0 ? Score{color, Kind::mate_given, 0} : Score{color, kind, -value};
    case Kind::mate_given: break;
    }
    return {color, Kind::mate, 0};
}

std::optional<std::int64_t> Score::centipawns(std::optional<std::int64_t> mate_score) const {
    if (kind == Kind::centipawns) return value;
    if (!mate_score) return std::nullopt;
    if (kind == Kind::mate_given) return *mate_score;
    return value > 0 ? *mate_score - value : -*mate_score - value;
}

std::tuple<int, std::int64_t> Score::order() const {
    switch (kind) {
    case Kind::centipawns: return {2, value};
    case Kind::mate: return value > 0 ? std::tuple{3, -value} : std::tuple{value == 0 ? 0 : 1, -value};
    case Kind::mate_given: break;
    }
    return {4, 0};
}

Score score_of(const Evaluation& evaluation, bool turn) {
    if (evaluation.centipawns) return Score{true, Score::Kind::centipawns, *evaluation.centipawns}.pov(turn);
    if (*evaluation.mate == 0) return {turn, Score::Kind::mate, 0};
    return Score{true, Score::Kind::mate, *evaluation.mate}.pov(turn);
}

std::string evaluation_command(const Score& score, std::optional<std::uint64_t> depth) {
    const Score white = score.pov(true);
    std::string command;
    if (white.kind == Score::Kind::centipawns) {
        // Two decimals of the pawns, as Python's "{:.2f}" writes the float cp / 100,
        // whatever the C library's locale says a decimal point is.
        char text[400];
        const auto written = std::to_chars(text, text + sizeof text, double(white.value) / 100, std::chars_format::fixed, 2);
        command = "[%eval " + std::string(text, written.ptr);
    } else if (white.value != 0) {
        command = "[%eval #";
        command += std::to_string(white.value);
    } else {
        return "";
    }
    if (depth) {
        command += ',';
        command += std::to_string(*depth);
    }
    command += ']';
    return command;
}

}  // namespace tarvik::game
