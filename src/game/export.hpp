// A game written as PGN, the way python-chess's exporter writes it: the seven-tag
// roster first, then the other tags; move numbers, SAN, NAGs as "$n", comments in
// braces, variations in parentheses, the result; movetext lines of at most
// `columns` characters where a token fits.
#pragma once

#include <optional>
#include <string>

#include "record.hpp"

namespace tarvik::game {

struct ExportOptions {
    std::optional<std::size_t> columns = 80;  // none: the movetext on one line
    bool headers = true;
    bool comments = true;  // and NAGs
    bool variations = true;
};

std::string export_pgn(const GameRecord& game, const ExportOptions& options);

// The tags as exported: the roster (Event "?", Date "????.??.??", ..., Result "*"
// where the file gives none, unless the roster is explicit) in its order, then the
// others in the order of their first appearance, each with its last value. The
// result is the Result tag, or the movetext's result marker where the tag is
// missing or "*".
std::vector<std::pair<std::string_view, std::string_view>> exported_tags(const GameRecord& game);

// The result written after the movetext (and in the Result tag).
std::string_view exported_result(const GameRecord& game);

}  // namespace tarvik::game
