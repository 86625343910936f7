// A game as read from PGN: its tag pairs, its starting position, and the tree of
// moves (the mainline and every variation) with their comments and NAGs. Texts
// live in one pool per game, valid UTF-8, so a game of a hundred moves costs a
// handful of allocations.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "board/board.hpp"
#include "board/move.hpp"

namespace tarvik::game {

inline constexpr std::uint32_t NONE = ~std::uint32_t{0};

// A piece of GameRecord::text.
struct TextSpan {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

struct Tag {
    TextSpan name;
    TextSpan value;  // escapes decoded
};

// One move of the tree, with the links to walk it: a node's first child is its
// main continuation, the siblings after it the variations beside it.
struct Node {
    Move move;  // the move leading here; none for the root
    std::uint32_t parent = NONE;
    std::uint32_t first_child = NONE;
    std::uint32_t last_child = NONE;
    std::uint32_t next_sibling = NONE;
    TextSpan comment;           // after the move (the root: before the first move)
    TextSpan starting_comment;  // before the move, where a variation starts
    std::uint32_t first_nag = NONE;  // into GameRecord::nags
};

// NAGs of a node as a chain, in the order read.
struct NagLink {
    std::uint32_t nag;
    std::uint32_t next = NONE;
};

// The last tag of that name (a name given twice keeps its last value), or
// nullptr; `view` gives the text of a span.
template <class View>
const Tag* find_tag(const std::vector<Tag>& tags, std::string_view name, View&& view) {
    for (auto it = tags.rbegin(); it != tags.rend(); ++it) {
        if (view(it->name) == name) return &*it;
    }
    return nullptr;
}

// The seven-tag roster with the values written where a game gives none.
inline constexpr std::array<std::pair<std::string_view, std::string_view>, 7> ROSTER{{
    {"Event", "?"}, {"Site", "?"}, {"Date", "????.??.??"}, {"Round", "?"}, {"White", "?"}, {"Black", "?"},
    {"Result", "*"},
}};

struct GameRecord {
    std::uint64_t offset = 0;  // of the game's first byte in the source
    std::string text;          // the game as read, then texts made from it (game_text.hpp)
    std::vector<Tag> tags;     // in file order, a name repeated as often as the file repeats it
    // A roster tag the game lacks is exported with its default ("?", "*"), as
    // python-chess's reader fills it in, unless it was removed (bit i: ROSTER[i]).
    std::uint8_t removed_roster = 0;
    Board start;               // the starting position, empty stacks
    std::vector<Node> nodes;   // nodes[0] is the root
    std::vector<NagLink> nags;
    std::string termination;   // the result marker of the movetext ("1-0", ...), empty when there is none
    std::vector<std::string> errors;
    // Read with ReadOptions::keep_positions, the position after each node's move
    // (the start for the root), as reading played them; else empty.
    std::vector<Position> positions;

    std::string_view view(TextSpan span) const { return std::string_view(text).substr(span.offset, span.size); }

    // The value of the last tag of that name, or nullptr.
    const Tag* tag(std::string_view name) const;

    // Each tag name once with its last value, in the order python-chess's Headers
    // keeps: the seven-tag roster's names (those present) in roster order, then the
    // others in the order of their first appearance.
    std::vector<std::pair<std::string_view, std::string_view>> distinct_tags() const;

    // The movetext's result marker, else the Result tag, else "*".
    std::string_view result() const;

    // The mainline's nodes, first move first.
    std::vector<std::uint32_t> mainline() const;

    // A node's NAGs, sorted and each once.
    std::vector<std::uint32_t> nags_of(std::uint32_t node) const;
};

}  // namespace tarvik::game
