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

    // The position after each node's move (the start for the root). Nodes are only
    // ever added, so the positions, once known, stay true; filled under shared access.
    const std::vector<Position>& positions() const;

    // Adds a child of `parent` playing each move after the other (the first the main
    // continuation when `main`), after checking that every move is legal where it
    // is played: none is added otherwise. Returns the last node added (`parent`
    // for no move).
    std::uint32_t add_line(std::uint32_t parent, const std::vector<Move>& moves, bool main);

private:
    mutable std::vector<Position> positions_;
};

// A node of a game, as Game (its root, node 0) and GameNode objects stand for one.
struct NodeAt {
    PyObject* game;  // borrowed
    std::uint32_t node;
};
NodeAt node_at(PyObject* self);  // self: a Game or a GameNode

// A node as its Python object: the game itself for the root, else a new GameNode.
PyObject* to_python(const NodeAt& node);

PyTypeObject* game_type();
PyTypeObject* game_node_type();
PyTypeObject* pgn_reader_type();
PyTypeObject* pgn_table_type();
PyTypeObject* headers_type();
void forget_game_type();
void forget_headers_type();
void forget_game_node_type();
void forget_pgn_reader_type();
void forget_pgn_table_type();

// tarvik.read_pgn(source, *, start=0, stop=None, headers_only=False)
PyObject* read_pgn(PyObject* module, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);

// tarvik.pgn_table(source, *, rows="games", tags=None, start=0, stop=None, threads=None, batch_rows=None,
// uci=False)
PyObject* pgn_table(PyObject* module, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);

// A game's Headers: a live view of its tags.
PyObject* headers_of(PyObject* game);
// Replaces the game's tags with the (name, value) pairs of a mapping or an iterable,
// all checked before any is set; false with the error set.
bool replace_headers(PyObject* game, PyObject* pairs);

// A new GameNode for a node of `game`, a Game object (nodes[0], the root, has none).
PyObject* new_game_node(PyObject* game, std::uint32_t node);

// The methods and attributes Game and GameNode share, on the node `self` stands for
// (game_tree_methods.cpp); each class lists them under its own documentation.
PyObject* add_variation_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* add_main_variation_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* add_line_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* variation_method(PyObject* self, PyObject* key);
PyObject* has_variation_method(PyObject* self, PyObject* key);
PyObject* promote_to_main_method(PyObject* self, PyObject* key);
PyObject* promote_method(PyObject* self, PyObject* key);
PyObject* demote_method(PyObject* self, PyObject* key);
PyObject* remove_variation_method(PyObject* self, PyObject* key);
PyObject* next_method(PyObject* self, PyObject*);
PyObject* end_method(PyObject* self, PyObject*);
PyObject* is_end_method(PyObject* self, PyObject*);
PyObject* is_mainline_method(PyObject* self, PyObject*);
PyObject* starts_variation_method(PyObject* self, PyObject*);
PyObject* ply_method(PyObject* self, PyObject*);
PyObject* turn_method(PyObject* self, PyObject*);
PyObject* clock_method(PyObject* self, PyObject*);
PyObject* set_clock_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* eval_method(PyObject* self, PyObject*);
PyObject* eval_depth_method(PyObject* self, PyObject*);
PyObject* set_eval_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);
PyObject* arrows_method(PyObject* self, PyObject*);
PyObject* set_arrows_method(PyObject* self, PyObject* arrows);
PyObject* get_node_comment(PyObject* self, void*);
int set_node_comment(PyObject* self, PyObject* value, void*);
PyObject* get_node_variations(PyObject* self, void*);

// New GameNode objects for nodes of `game`.
PyObject* game_nodes(PyObject* game, const std::vector<std::uint32_t>& nodes);

// The children of a node: the main continuation first, then the variations beside it.
std::vector<std::uint32_t> children(const game::GameRecord& record, std::uint32_t node);

// NAGs as a Python set, or a frozenset where changing it would change nothing.
struct NagSet {
    std::vector<std::uint32_t> nags;
    bool frozen = false;
};
PyObject* to_python(const NagSet& set);

// NAGs given: any iterable of integers from 0 to 2**32 - 1.
bool to_nags(PyObject* value, std::vector<std::uint32_t>& out);
using NagsParam = Param<std::vector<std::uint32_t>, to_nags>;

// The values a node's comment holds: its clock, evaluation and mate distance.
std::optional<double> clock_of(const game::GameRecord& record, std::uint32_t node);
std::optional<std::int64_t> evaluation_of(const game::GameRecord& record, std::uint32_t node);
std::optional<std::int64_t> mate_of(const game::GameRecord& record, std::uint32_t node);

}  // namespace tarvik::module
