// Changes to a game's tree and texts, for games built and annotated after reading.
// Nodes are never taken out of the record, only unlinked from their parent, so a
// node's index stays valid for as long as its game lives; texts set are appended
// to the record's text. A game only read pays for none of this.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "record.hpp"

namespace tarvik::game {

// A new child of `parent` playing `move` (not checked here): the last of its
// children, or the first (the main continuation) when `main`.
std::uint32_t add_child(GameRecord& game, std::uint32_t parent, const Move& move, bool main);

// Unlinks a child from its parent; the node keeps its parent and subtree, as a
// line standing apart from the game. No change for a node not among its parent's children.
void remove_child(GameRecord& game, std::uint32_t child);

enum class Shift { to_main, up, down };

// Moves a child among its siblings: first, one place earlier, or one place later
// (no change where it is already there, or for a node not among them).
void shift_child(GameRecord& game, std::uint32_t child, Shift shift);

void set_comment(GameRecord& game, std::uint32_t node, std::string_view comment);
void set_starting_comment(GameRecord& game, std::uint32_t node, std::string_view comment);
void set_nags(GameRecord& game, std::uint32_t node, std::span<const std::uint32_t> nags);

// Sets a tag: a name already there keeps its first place (later ones of the name
// go); a new name comes last; a roster name removed before is exported again. Rejects a name other than letters, digits and
// _+#=:- (not starting with one of those five), and a value with a line break.
void set_tag(GameRecord& game, std::string_view name, std::string_view value);
// Removes every tag of the name (a roster name is then exported no more, not even
// with its default); false when there was none.
bool remove_tag(GameRecord& game, std::string_view name);

// Rejects what set_tag rejects.
void check_tag(std::string_view name, std::string_view value);

}  // namespace tarvik::game
