// What a Game object holds, shared by the Game and GameNode classes: the game as
// read, and the positions of its nodes, worked out once when first asked for.
#pragma once

#include <cstdint>
#include <vector>

#include "../game/record.hpp"
#include "types.hpp"

namespace tarvik::module {

struct GameData {
    explicit GameData(game::GameRecord read) : record(std::move(read)) {}

    game::GameRecord record;

    // The position after each node's move (the start for the root). A game never
    // changes, so the positions, once known, stay true; filled under shared access.
    const std::vector<Position>& positions() const;

private:
    mutable std::vector<Position> positions_;
};

PyTypeObject* game_type();
PyTypeObject* game_node_type();
PyTypeObject* pgn_reader_type();
PyTypeObject* pgn_table_type();
void forget_game_type();
void forget_game_node_type();
void forget_pgn_reader_type();
void forget_pgn_table_type();

// tarvik.read_pgn(source, *, start=0, stop=None, headers_only=False)
PyObject* read_pgn(PyObject* module, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);

// tarvik.pgn_table(source, *, rows="games", tags=None, start=0, stop=None, threads=None, batch_rows=None,
// uci=False)
PyObject* pgn_table(PyObject* module, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);

// A new GameNode for a node of `game`, a Game object (nodes[0], the root, has none).
PyObject* new_game_node(PyObject* game, std::uint32_t node);

// New GameNode objects for nodes of `game`.
PyObject* game_nodes(PyObject* game, const std::vector<std::uint32_t>& nodes);

// The children of a node: the main continuation first, then the variations beside it.
std::vector<std::uint32_t> children(const game::GameRecord& record, std::uint32_t node);

// NAGs as a Python set.
struct NagSet {
    std::vector<std::uint32_t> nags;
};
PyObject* to_python(const NagSet& set);

// The values a node's comment holds: its clock, evaluation and mate distance.
std::optional<double> clock_of(const game::GameRecord& record, std::uint32_t node);
std::optional<std::int64_t> evaluation_of(const game::GameRecord& record, std::uint32_t node);
std::optional<std::int64_t> mate_of(const game::GameRecord& record, std::uint32_t node);

}  // namespace tarvik::module
