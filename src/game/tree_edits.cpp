#include "tree_edits.hpp"

#include <algorithm>
#include <optional>

#include "board/failure.hpp"
#include "text.hpp"

namespace tarvik::game {
namespace {

TextSpan append_text(GameRecord& game, std::string_view text) {
    const TextSpan span{game.text.size(), text.size()};
    game.text += text;
    return span;
}

// Where a node stands among its parent's children: the child before it (NONE for
// the first), or nothing when it is not among them (the root, a removed line).
std::optional<std::uint32_t> previous_sibling(const GameRecord& game, std::uint32_t child) {
    if (child == 0) return std::nullopt;
    std::uint32_t previous = NONE;
    for (std::uint32_t at = game.nodes[game.nodes[child].parent].first_child; at != NONE;
         at = game.nodes[at].next_sibling) {
        if (at == child) return previous;
        previous = at;
    }
    return std::nullopt;
}

bool is_tag_name(std::string_view name) {
    const auto letter_or_digit = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    };
    return !name.empty() && letter_or_digit(name[0]) && std::all_of(name.begin(), name.end(), [&](char c) {
        return letter_or_digit(c) || std::string_view("_+#=:-").find(c) != std::string_view::npos;
    });
}

}  // namespace

std::uint32_t add_child(GameRecord& game, std::uint32_t parent, const Move& move, bool main) {
    const auto index = std::uint32_t(game.nodes.size());
    Node& node = game.nodes.emplace_back();
    node.move = move;
    node.parent = parent;
    Node& above = game.nodes[parent];
    if (above.first_child == NONE) {
        above.first_child = above.last_child = index;
    } else if (main) {
        node.next_sibling = above.first_child;
        above.first_child = index;
    } else {
        game.nodes[above.last_child].next_sibling = index;
        above.last_child = index;
    }
    return index;
}

void remove_child(GameRecord& game, std::uint32_t child) {
    const std::optional<std::uint32_t> previous = previous_sibling(game, child);
    if (!previous) return;
    Node& parent = game.nodes[game.nodes[child].parent];
    const std::uint32_t next = game.nodes[child].next_sibling;
    (*previous == NONE ? parent.first_child : game.nodes[*previous].next_sibling) = next;
    if (parent.last_child == child) parent.last_child = *previous;
    game.nodes[child].next_sibling = NONE;
}

void shift_child(GameRecord& game, std::uint32_t child, Shift shift) {
    const std::optional<std::uint32_t> previous = previous_sibling(game, child);
    if (!previous) return;
    // Unlinked, then linked again after its new predecessor (NONE: first).
    std::uint32_t after = NONE;
    switch (shift) {
    case Shift::to_main:
        if (*previous == NONE) return;
        break;
    case Shift::up:
        if (*previous == NONE) return;
        after = *previous_sibling(game, *previous);
        break;
    case Shift::down:
        after = game.nodes[child].next_sibling;
        if (after == NONE) return;
        break;
    }
    Node& parent = game.nodes[game.nodes[child].parent];
    remove_child(game, child);
    std::uint32_t& link = after == NONE ? parent.first_child : game.nodes[after].next_sibling;
    game.nodes[child].next_sibling = link;
    link = child;
    if (game.nodes[child].next_sibling == NONE) parent.last_child = child;
}

void set_comment(GameRecord& game, std::uint32_t node, std::string_view comment) {
    game.nodes[node].comment = append_text(game, comment);
}

void set_starting_comment(GameRecord& game, std::uint32_t node, std::string_view comment) {
    game.nodes[node].starting_comment = append_text(game, comment);
}

void set_nags(GameRecord& game, std::uint32_t node, std::span<const std::uint32_t> nags) {
    std::uint32_t first = NONE;
    for (auto nag = nags.rbegin(); nag != nags.rend(); ++nag) {
        game.nags.push_back({*nag, first});
        first = std::uint32_t(game.nags.size() - 1);
    }
    game.nodes[node].first_nag = first;
}

void check_tag(std::string_view name, std::string_view value) {
    if (!is_tag_name(name)) reject(joined({"invalid tag name: '", name, "'"}));
    if (value.find_first_of("\r\n") != std::string_view::npos) {
        reject(joined({"line break in the value of tag '", name, "'"}));
    }
}

// The bit of a roster name in GameRecord::removed_roster, 0 for another name.
std::uint8_t roster_bit(std::string_view name) {
    for (std::size_t i = 0; i < ROSTER.size(); ++i) {
        if (ROSTER[i].first == name) return std::uint8_t(1u << i);
    }
    return 0;
}

void set_tag(GameRecord& game, std::string_view name, std::string_view value) {
    check_tag(name, value);
    game.removed_roster &= std::uint8_t(~roster_bit(name));
    const auto named = [&](const Tag& tag) { return game.view(tag.name) == name; };
    const auto first = std::find_if(game.tags.begin(), game.tags.end(), named);
    if (first == game.tags.end()) {
        const TextSpan name_span = append_text(game, name);
        game.tags.push_back({name_span, append_text(game, value)});
        return;
    }
    first->value = append_text(game, value);
    game.tags.erase(std::remove_if(first + 1, game.tags.end(), named), game.tags.end());
}

bool remove_tag(GameRecord& game, std::string_view name) {
    const std::size_t before = game.tags.size();
    std::erase_if(game.tags, [&](const Tag& tag) { return game.view(tag.name) == name; });
    if (game.tags.size() == before) return false;
    game.removed_roster |= roster_bit(name);
    return true;
}

}  // namespace tarvik::game
