// The GameNode class: one move of a game's tree, seen through the game that owns
// it. A node holds its game alive; games hold no nodes, so no cycle can form.
#include "../board/apply.hpp"
#include "../board/notation.hpp"
#include "../game/annotations.hpp"
#include "docstrings.hpp"
#include "game_data.hpp"
#include "score_type.hpp"

namespace tarvik::module {
namespace {

PyTypeObject* the_game_node_type = nullptr;

// The record of a GameNode object: its game (a strong reference) and the node's index.
class NodeRef {
public:
    NodeRef(PyObject* game, std::uint32_t node) : game_(Py_NewRef(game)), node_(node) {}
    ~NodeRef() { Py_DECREF(game_); }
    NodeRef(const NodeRef&) = delete;
    NodeRef& operator=(const NodeRef&) = delete;

    PyObject* game() const { return game_; }
    std::uint32_t node() const { return node_; }

private:
    PyObject* game_;
    std::uint32_t node_;
};

const NodeRef& node_ref(PyObject* self) { return as_object<NodeRef>(self)->record; }

// Reads the node's game under shared access, as an engine step.
template <class Read>
bool read_node(PyObject* self, Read&& read) {
    const NodeRef& ref = node_ref(self);
    return read_record<GameData>(ref.game(), [&](const GameData& data) { read(data, ref.node()); });
}

template <class Read>
PyObject* node_value(PyObject* self, Read&& read) {
    std::optional<std::invoke_result_t<Read, const GameData&, std::uint32_t>> value;
    if (!read_node(self, [&](const GameData& data, std::uint32_t node) { value.emplace(read(data, node)); })) {
        return nullptr;
    }
    return to_python(*value);
}

// A Board of the game's start with the moves up to the node (itself included) played.
tarvik::Board board_at(const GameData& data, std::uint32_t node) {
    std::vector<Move> line;
    for (std::uint32_t at = node; at != 0; at = data.record.nodes[at].parent) line.push_back(data.record.nodes[at].move);
    tarvik::Board board = data.record.start;
    for (auto move = line.rbegin(); move != line.rend(); ++move) apply_move(board, *move);
    return board;
}

std::string san_of(const GameData& data, std::uint32_t node) {
    tarvik::Board board = data.record.start;
    board.position = data.positions()[data.record.nodes[node].parent];
    return san(board, data.record.nodes[node].move);
}

PyObject* get_move(PyObject* self, void*) {
    return node_value(self, [](const GameData& data, std::uint32_t node) { return data.record.nodes[node].move; });
}

PyObject* get_san(PyObject* self, void*) { return node_value(self, san_of); }

PyObject* ply_method(PyObject* self, PyObject*) {
    return node_value(self, [](const GameData& data, std::uint32_t node) {
        const Position& after = data.positions()[node];
        return std::uint64_t{2} * (std::uint64_t{after.full_move_number} - 1) + (after.turn ? 0 : 1);
    });
}

PyObject* get_comment(PyObject* self, void*) {
    return node_value(self, [](const GameData& data, std::uint32_t node) {
        return std::string(data.record.view(data.record.nodes[node].comment));
    });
}

PyObject* get_starting_comment(PyObject* self, void*) {
    return node_value(self, [](const GameData& data, std::uint32_t node) {
        return std::string(data.record.view(data.record.nodes[node].starting_comment));
    });
}

PyObject* get_nags(PyObject* self, void*) {
    return node_value(self, [](const GameData& data, std::uint32_t node) { return NagSet{data.record.nags_of(node)}; });
}

PyObject* clock_method(PyObject* self, PyObject*) {
    return node_value(self, [](const GameData& data, std::uint32_t node) { return clock_of(data.record, node); });
}

std::optional<game::Evaluation> evaluation_at(const GameData& data, std::uint32_t node) {
    return game::read_evaluation(data.record.view(data.record.nodes[node].comment));
}

PyObject* eval_method(PyObject* self, PyObject*) {
    return node_value(self, [](const GameData& data, std::uint32_t node) -> std::optional<game::Score> {
        const std::optional<game::Evaluation> evaluation = evaluation_at(data, node);
        if (!evaluation) return std::nullopt;
        return game::score_of(*evaluation, data.positions()[node].turn);
    });
}

PyObject* eval_depth_method(PyObject* self, PyObject*) {
    return node_value(self, [](const GameData& data, std::uint32_t node) -> std::optional<std::uint64_t> {
        const std::optional<game::Evaluation> evaluation = evaluation_at(data, node);
        return evaluation ? evaluation->depth : std::nullopt;
    });
}

PyObject* get_mate(PyObject* self, void*) {
    return node_value(self, [](const GameData& data, std::uint32_t node) { return mate_of(data.record, node); });
}

PyObject* get_variations(PyObject* self, void*) {
    std::vector<std::uint32_t> nodes;
    if (!read_node(self, [&](const GameData& data, std::uint32_t node) { nodes = children(data.record, node); })) {
        return nullptr;
    }
    return game_nodes(node_ref(self).game(), nodes);
}

PyObject* get_parent(PyObject* self, void*) {
    std::uint32_t parent = 0;
    if (!read_node(self, [&](const GameData& data, std::uint32_t node) { parent = data.record.nodes[node].parent; })) {
        return nullptr;
    }
    return parent == 0 ? Py_NewRef(node_ref(self).game()) : new_game_node(node_ref(self).game(), parent);
}

PyObject* board_method(PyObject* self, PyObject*) {
    std::optional<tarvik::Board> board;
    if (!read_node(self, [&](const GameData& data, std::uint32_t node) { board.emplace(board_at(data, node)); })) {
        return nullptr;
    }
    return to_python(std::move(*board));
}

PyObject* repr_form(PyObject* self) {
    std::string text;
    const bool read = read_node(self, [&](const GameData& data, std::uint32_t node) {
        const Position& before = data.positions()[data.record.nodes[node].parent];
        text = std::to_string(before.full_move_number) + (before.turn ? ". " : "... ") + san_of(data, node);
    });
    return read ? PyUnicode_FromFormat("<GameNode at %p (%s ...)>", self, text.c_str()) : nullptr;
}

PyObject* refuse_construction(PyTypeObject*, PyObject*, PyObject*) {
    PyErr_SetString(PyExc_TypeError, "GameNode objects come from a Game");
    return nullptr;
}

PyMethodDef methods[] = {
    {"board", method_pointer(board_method), METH_NOARGS, doc("GameNode.board")},
    {"ply", method_pointer(ply_method), METH_NOARGS, doc("GameNode.ply")},
    {"clock", method_pointer(clock_method), METH_NOARGS, doc("GameNode.clock")},
    {"eval", method_pointer(eval_method), METH_NOARGS, doc("GameNode.eval")},
    {"eval_depth", method_pointer(eval_depth_method), METH_NOARGS, doc("GameNode.eval_depth")},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef attributes[] = {
    {"move", get_move, nullptr, doc("GameNode.move"), nullptr},
    {"san", get_san, nullptr, doc("GameNode.san"), nullptr},
    {"comment", get_comment, nullptr, doc("GameNode.comment"), nullptr},
    {"starting_comment", get_starting_comment, nullptr, doc("GameNode.starting_comment"), nullptr},
    {"nags", get_nags, nullptr, doc("GameNode.nags"), nullptr},
    {"mate", get_mate, nullptr, doc("GameNode.mate"), nullptr},
    {"variations", get_variations, nullptr, doc("GameNode.variations"), nullptr},
    {"parent", get_parent, nullptr, doc("GameNode.parent"), nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot slots[] = {
    {Py_tp_doc, const_cast<char*>(doc("GameNode"))},
    {Py_tp_new, reinterpret_cast<void*>(refuse_construction)},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc_object<NodeRef>)},
    {Py_tp_repr, reinterpret_cast<void*>(repr_form)},
    {Py_tp_methods, methods},
    {Py_tp_getset, attributes},
    {0, nullptr},
};

PyType_Spec type_spec{"tarvik.GameNode", sizeof(Object<NodeRef>), 0,
                      Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE, slots};

}  // namespace

PyTypeObject* game_node_type() {
    if (the_game_node_type == nullptr) the_game_node_type = create_type(type_spec, ClassDoc::kept);
    return the_game_node_type;
}

void forget_game_node_type() { the_game_node_type = nullptr; }

PyObject* new_game_node(PyObject* game, std::uint32_t node) {
    PyTypeObject* type = game_node_type();
    if (type == nullptr) return nullptr;
    PyObject* self = type->tp_alloc(type, 0);
    if (self == nullptr) return nullptr;
    new (&as_object<NodeRef>(self)->record) NodeRef(game, node);
    new (&as_object<NodeRef>(self)->access) AccessFlag();
    return self;
}

PyObject* game_nodes(PyObject* game, const std::vector<std::uint32_t>& nodes) {
    PyObject* list = PyList_New(static_cast<Py_ssize_t>(nodes.size()));
    if (list == nullptr) return nullptr;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        PyObject* node = new_game_node(game, nodes[i]);
        if (node == nullptr) {
            Py_DECREF(list);
            return nullptr;
        }
        PyList_SET_ITEM(list, static_cast<Py_ssize_t>(i), node);
    }
    return list;
}

}  // namespace tarvik::module
