// What Game and GameNode share, as python-chess's GameNode has it: walking the
// tree, building and reordering it, and the comment's text and commands. A Game
// stands for its root. Reads take shared access to the game, edits exclusive.
#include <cmath>

#include "../board/apply.hpp"
#include "../board/failure.hpp"
#include "../board/fen.hpp"
#include "../board/legal.hpp"
#include "../game/annotation_edits.hpp"
#include "../game/annotations.hpp"
#include "../game/tree_edits.hpp"
#include "arrow_type.hpp"
#include "game_data.hpp"
#include "score_type.hpp"

namespace tarvik::module {
namespace {

using game::GameRecord;
using game::NONE;

// A signature named after the class its receiver is, as binding errors name it.
struct SharedSignature {
    Signature game, node;
    const Signature& of(PyObject* self) const { return Py_IS_TYPE(self, game_type()) ? game : node; }
};

template <Access kind, class... Params, class Body>
PyObject* on_node(PyObject* self, const SharedSignature& signature, PyObject* const* args, Py_ssize_t nargs,
                  PyObject* kwnames, Body&& body) {
    const NodeAt at = node_at(self);
    return call_method<GameData, kind, Params...>(at.game, signature.of(self), args, nargs, kwnames,
                                                  std::forward<Body>(body));
}

// Seconds on a clock: a finite real number.
bool to_seconds(PyObject* value, double& out) {
    out = PyFloat_AsDouble(value);
    if (out == -1.0 && PyErr_Occurred()) return false;
    if (std::isfinite(out)) return true;
    PyErr_Format(PyExc_ValueError, "a clock is a finite number of seconds, not %R", value);
    return false;
}
using SecondsParam = Param<double, to_seconds>;

// How a child is named, as python-chess names it: by its move (the first child
// playing the same squares and promotion), by the node itself, or by its index.
struct ChildKey {
    std::optional<Move> move;
    std::optional<NodeAt> node;
    std::optional<long long> index;
};

bool to_child_key(PyObject* value, ChildKey& out) {
    if (PyObject_TypeCheck(value, game_node_type())) {
        out.node = node_at(value);
        return true;
    }
    if (PyLong_Check(value)) return to_count(value, out.index.emplace());
    if (PyObject_TypeCheck(value, move_type())) return to_move(value, out.move.emplace());
    cannot_convert(value, "Move");
    return false;
}
using ChildKeyParam = Param<ChildKey, to_child_key>;

[[noreturn]] void raise_python(PyObject* type, const char* message) {
    PyErr_SetString(type, message);
    throw PythonErrorSet{};
}

std::uint32_t child_named(const GameRecord& record, const NodeAt& at, const ChildKey& key) {
    const std::vector<std::uint32_t> found = children(record, at.node);
    if (key.index) {
        const long long i = *key.index < 0 ? *key.index + (long long)found.size() : *key.index;
        if (i < 0 || i >= (long long)found.size()) raise_python(PyExc_IndexError, "list index out of range");
        return found[std::size_t(i)];
    }
    for (const std::uint32_t child : found) {
        if (key.move ? record.nodes[child].move == *key.move : key.node->game == at.game && key.node->node == child) {
            return child;
        }
    }
    raise_python(PyExc_KeyError, "variation not found");
}

template <game::Shift shift>
PyObject* shift_method(PyObject* self, PyObject* key) {
    static constexpr const char* parameters[] = {"move"};
    static constexpr const char* names[] = {"promote_to_main", "promote", "demote"};
    static const std::string game_name = std::string("Game.") + names[int(shift)];
    static const std::string node_name = std::string("GameNode.") + names[int(shift)];
    static const SharedSignature signature{{game_name.c_str(), parameters, 1}, {node_name.c_str(), parameters, 1}};
    const NodeAt at = node_at(self);
    return on_node<Access::exclusive, ChildKeyParam>(self, signature, &key, 1, nullptr,
                                                     [&](GameData& data, const ChildKey& child) {
                                                         game::shift_child(data.record, child_named(data.record, at, child), shift);
                                                     });
}

std::uint32_t next_of(const GameRecord& record, std::uint32_t node) { return record.nodes[node].first_child; }

// The comment after a reading of it, merged as python-chess's add_line merges one.
std::string merged_comment(std::string_view kept, const std::string& added) {
    return kept.empty() ? added : std::string(kept) + " " + added;
}

void add_nags(GameRecord& record, std::uint32_t node, std::vector<std::uint32_t> nags) {
    if (nags.empty()) return;
    const std::vector<std::uint32_t> kept = record.nags_of(node);
    nags.insert(nags.end(), kept.begin(), kept.end());
    game::set_nags(record, node, nags);
}

}  // namespace

bool to_nags(PyObject* value, std::vector<std::uint32_t>& out) {
    const Owned iterator(PyObject_GetIter(value));
    if (!iterator) return false;
    while (PyObject* item = PyIter_Next(iterator.get())) {
        std::uint32_t nag = 0;
        const bool read = to_uint32(item, nag);
        Py_DECREF(item);
        if (!read) return false;
        out.push_back(nag);
    }
    return !PyErr_Occurred();
}

PyObject* add_variation_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"move", "comment", "starting_comment", "nags"};
    static constexpr SharedSignature signature{{"Game.add_variation", parameters, 1, 3},
                                               {"GameNode.add_variation", parameters, 1, 3}};
    const NodeAt at = node_at(self);
    return on_node<Access::exclusive, MoveParam, TextParam, TextParam, NagsParam>(
        self, signature, args, nargs, kwnames,
        [&](GameData& data, const Move& move, const std::string& comment, const std::string& starting,
            const std::vector<std::uint32_t>& nags) {
            const std::uint32_t child = data.add_line(at.node, {move}, false);
            game::set_comment(data.record, child, comment);
            game::set_starting_comment(data.record, child, starting);
            add_nags(data.record, child, nags);
            return NodeAt{at.game, child};
        });
}

PyObject* add_main_variation_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"move", "comment", "nags"};
    static constexpr SharedSignature signature{{"Game.add_main_variation", parameters, 1, 2},
                                               {"GameNode.add_main_variation", parameters, 1, 2}};
    const NodeAt at = node_at(self);
    return on_node<Access::exclusive, MoveParam, TextParam, NagsParam>(
        self, signature, args, nargs, kwnames,
        [&](GameData& data, const Move& move, const std::string& comment, const std::vector<std::uint32_t>& nags) {
            const std::uint32_t child = data.add_line(at.node, {move}, true);
            game::set_comment(data.record, child, comment);
            add_nags(data.record, child, nags);
            return NodeAt{at.game, child};
        });
}

PyObject* add_line_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"moves", "comment", "starting_comment", "nags"};
    static constexpr SharedSignature signature{{"Game.add_line", parameters, 1, 3},
                                               {"GameNode.add_line", parameters, 1, 3}};
    const NodeAt at = node_at(self);
    return on_node<Access::exclusive, MovesParam, TextParam, TextParam, NagsParam>(
        self, signature, args, nargs, kwnames,
        [&](GameData& data, const std::vector<Move>& moves, const std::string& comment, const std::string& starting,
            const std::vector<std::uint32_t>& nags) {
            const std::uint32_t last = data.add_line(at.node, moves, false);
            if (!moves.empty()) {
                std::uint32_t first = last;
                while (data.record.nodes[first].parent != at.node) first = data.record.nodes[first].parent;
                game::set_starting_comment(data.record, first, starting);
            }
            GameRecord& record = data.record;
            game::set_comment(record, last, merged_comment(record.view(record.nodes[last].comment), comment));
            add_nags(record, last, nags);
            return NodeAt{at.game, last};
        });
}

PyObject* variation_method(PyObject* self, PyObject* key) {
    static constexpr const char* parameters[] = {"move"};
    static constexpr SharedSignature signature{{"Game.variation", parameters, 1}, {"GameNode.variation", parameters, 1}};
    const NodeAt at = node_at(self);
    return on_node<Access::shared, ChildKeyParam>(self, signature, &key, 1, nullptr,
                                                  [&](GameData& data, const ChildKey& child) {
                                                      return NodeAt{at.game, child_named(data.record, at, child)};
                                                  });
}

PyObject* has_variation_method(PyObject* self, PyObject* key) {
    PyObject* found = variation_method(self, key);
    if (found != nullptr) {
        Py_DECREF(found);
        Py_RETURN_TRUE;
    }
    if (!PyErr_ExceptionMatches(PyExc_KeyError) && !PyErr_ExceptionMatches(PyExc_IndexError)) return nullptr;
    PyErr_Clear();
    Py_RETURN_FALSE;
}

PyObject* promote_to_main_method(PyObject* self, PyObject* key) { return shift_method<game::Shift::to_main>(self, key); }
PyObject* promote_method(PyObject* self, PyObject* key) { return shift_method<game::Shift::up>(self, key); }
PyObject* demote_method(PyObject* self, PyObject* key) { return shift_method<game::Shift::down>(self, key); }

PyObject* remove_variation_method(PyObject* self, PyObject* key) {
    static constexpr const char* parameters[] = {"move"};
    static constexpr SharedSignature signature{{"Game.remove_variation", parameters, 1},
                                               {"GameNode.remove_variation", parameters, 1}};
    const NodeAt at = node_at(self);
    return on_node<Access::exclusive, ChildKeyParam>(self, signature, &key, 1, nullptr,
                                                     [&](GameData& data, const ChildKey& child) {
                                                         game::remove_child(data.record, child_named(data.record, at, child));
                                                     });
}

// The methods without arguments: one read of the node each.
template <class Read>
PyObject* read_node(PyObject* self, Read&& read) {
    static constexpr SharedSignature no_arguments{{"", {}, 0}, {"", {}, 0}};
    const NodeAt at = node_at(self);
    return on_node<Access::shared>(self, no_arguments, nullptr, 0, nullptr,
                                   [&](GameData& data) { return read(std::as_const(data), at); });
}

PyObject* next_method(PyObject* self, PyObject*) {
    return read_node(self, [](const GameData& data, const NodeAt& at) -> std::optional<NodeAt> {
        const std::uint32_t next = next_of(data.record, at.node);
        if (next == NONE) return std::nullopt;
        return NodeAt{at.game, next};
    });
}

PyObject* end_method(PyObject* self, PyObject*) {
    return read_node(self, [](const GameData& data, NodeAt at) {
        while (next_of(data.record, at.node) != NONE) at.node = next_of(data.record, at.node);
        return at;
    });
}

PyObject* is_end_method(PyObject* self, PyObject*) {
    return read_node(self, [](const GameData& data, const NodeAt& at) { return next_of(data.record, at.node) == NONE; });
}

PyObject* is_mainline_method(PyObject* self, PyObject*) {
    return read_node(self, [](const GameData& data, const NodeAt& at) {
        for (std::uint32_t node = at.node; node != 0; node = data.record.nodes[node].parent) {
            if (next_of(data.record, data.record.nodes[node].parent) != node) return false;
        }
        return true;
    });
}

PyObject* starts_variation_method(PyObject* self, PyObject*) {
    return read_node(self, [](const GameData& data, const NodeAt& at) {
        if (at.node == 0) return false;
        const std::uint32_t first = next_of(data.record, data.record.nodes[at.node].parent);
        return first != NONE && first != at.node;
    });
}

PyObject* ply_method(PyObject* self, PyObject*) {
    return read_node(self, [](const GameData& data, const NodeAt& at) {
        const Position& after = data.positions()[at.node];
        return std::uint64_t{2} * (std::uint64_t{after.full_move_number} - 1) + (after.turn ? 0 : 1);
    });
}

PyObject* turn_method(PyObject* self, PyObject*) {
    return read_node(self, [](const GameData& data, const NodeAt& at) { return data.positions()[at.node].turn; });
}

PyObject* clock_method(PyObject* self, PyObject*) {
    return read_node(self, [](const GameData& data, const NodeAt& at) { return clock_of(data.record, at.node); });
}

PyObject* eval_method(PyObject* self, PyObject*) {
    return read_node(self, [](const GameData& data, const NodeAt& at) -> std::optional<game::Score> {
        const std::optional<game::Evaluation> evaluation =
            game::read_evaluation(data.record.view(data.record.nodes[at.node].comment));
        if (!evaluation) return std::nullopt;
        return game::score_of(*evaluation, data.positions()[at.node].turn);
    });
}

PyObject* eval_depth_method(PyObject* self, PyObject*) {
    return read_node(self, [](const GameData& data, const NodeAt& at) -> std::optional<std::uint64_t> {
        const std::optional<game::Evaluation> evaluation =
            game::read_evaluation(data.record.view(data.record.nodes[at.node].comment));
        return evaluation ? evaluation->depth : std::nullopt;
    });
}

PyObject* arrows_method(PyObject* self, PyObject*) {
    return read_node(self, [](const GameData& data, const NodeAt& at) {
        return game::read_arrows(data.record.view(data.record.nodes[at.node].comment));
    });
}

// Rewrites the node's comment, under exclusive access.
template <class... Params, class Rewrite>
PyObject* rewrite_comment(PyObject* self, const SharedSignature& signature, PyObject* const* args, Py_ssize_t nargs,
                          PyObject* kwnames, Rewrite&& rewrite) {
    const NodeAt at = node_at(self);
    return on_node<Access::exclusive, Params...>(
        self, signature, args, nargs, kwnames, [&](GameData& data, const typename Params::type&... values) {
            const std::string comment = rewrite(data.record.view(data.record.nodes[at.node].comment), values...);
            game::set_comment(data.record, at.node, comment);
        });
}

PyObject* set_clock_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"seconds"};
    static constexpr SharedSignature signature{{"Game.set_clock", parameters, 1}, {"GameNode.set_clock", parameters, 1}};
    return rewrite_comment<Optional<SecondsParam>>(self, signature, args, nargs, kwnames, game::with_clock);
}

PyObject* set_eval_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"score", "depth"};
    static constexpr SharedSignature signature{{"Game.set_eval", parameters, 1}, {"GameNode.set_eval", parameters, 1}};
    return rewrite_comment<Optional<ScoreParam>, Optional<CountParam>>(
        self, signature, args, nargs, kwnames,
        [](std::string_view comment, const std::optional<game::Score>& score, const std::optional<long long>& depth) {
            // A negative depth is written as 0, as python-chess writes it.
            const std::optional<std::uint64_t> written =
                depth ? std::optional(std::uint64_t(std::max(*depth, 0LL))) : std::nullopt;
            return game::with_evaluation(comment, score, written);
        });
}

PyObject* set_arrows_method(PyObject* self, PyObject* arrows) {
    static constexpr const char* parameters[] = {"arrows"};
    static constexpr SharedSignature signature{{"Game.set_arrows", parameters, 1}, {"GameNode.set_arrows", parameters, 1}};
    return rewrite_comment<ArrowsParam>(self, signature, &arrows, 1, nullptr, game::with_arrows);
}

PyObject* get_node_comment(PyObject* self, void*) {
    return read_node(self, [](const GameData& data, const NodeAt& at) {
        return std::string(data.record.view(data.record.nodes[at.node].comment));
    });
}

int set_node_comment(PyObject* self, PyObject* value, void*) {
    const NodeAt at = node_at(self);
    return set_attribute<GameData, TextParam>(at.game, value, "comment", [&](GameData& data, const std::string& text) {
        game::set_comment(data.record, at.node, text);
    });
}

PyObject* get_node_variations(PyObject* self, void*) {
    std::vector<std::uint32_t> nodes;
    const NodeAt at = node_at(self);
    if (!read_record<GameData>(at.game, [&](const GameData& data) { nodes = children(data.record, at.node); })) {
        return nullptr;
    }
    return game_nodes(at.game, nodes);
}

std::uint32_t GameData::add_line(std::uint32_t parent, const std::vector<Move>& moves, bool main) {
    // Every move checked first, so an illegal one leaves the game as it was.
    Board board = record.start;
    board.position = positions()[parent];
    for (const Move& move : moves) {
        bool legal = false;
        try {
            legal = is_legal_move(board.position, board.castling_field(), move);
        } catch (const InternalFailure&) {
        }
        if (!legal) reject("illegal move: '" + uci(move) + "' in " + to_fen(board));
        make_move(board.position, move);
    }
    std::uint32_t last = parent;
    for (const Move& move : moves) {
        const Position before = positions_[last];
        last = game::add_child(record, last, move, main && last == parent);
        positions_.push_back(before);
        make_move(positions_.back(), move);
    }
    return last;
}

}  // namespace tarvik::module
