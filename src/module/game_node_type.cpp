// The GameNode class: one move of a game's tree, seen through the game that owns
// it. A node holds its game alive; games hold no nodes, so no cycle can form.
// Nodes are made anew whenever asked for and compare equal when they stand for
// the same node of the same game.
#include "../board/apply.hpp"
#include "../board/notation.hpp"
#include "../game/tree_edits.hpp"
#include "docstrings.hpp"
#include "game_data.hpp"

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

// Sets what `write` sets on the node, the value converted first, under exclusive access.
template <class P, class Write>
int set_node_value(PyObject* self, PyObject* value, const char* name, Write&& write) {
    const NodeRef& ref = node_ref(self);
    return set_attribute<GameData, P>(ref.game(), value, name, [&](GameData& data, const typename P::type& given) {
        write(data.record, ref.node(), given);
    });
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

PyObject* get_starting_comment(PyObject* self, void*) {
    return node_value(self, [](const GameData& data, std::uint32_t node) {
        return std::string(data.record.view(data.record.nodes[node].starting_comment));
    });
}

int set_starting_comment(PyObject* self, PyObject* value, void*) {
    return set_node_value<TextParam>(self, value, "starting_comment", game::set_starting_comment);
}

PyObject* get_nags(PyObject* self, void*) {
    return node_value(self, [](const GameData& data, std::uint32_t node) { return NagSet{data.record.nags_of(node), true}; });
}

int set_nags(PyObject* self, PyObject* value, void*) {
    return set_node_value<NagsParam>(self, value, "nags",
                                     [](game::GameRecord& record, std::uint32_t node, const std::vector<std::uint32_t>& nags) {
                                         game::set_nags(record, node, nags);
                                     });
}

PyObject* get_mate(PyObject* self, void*) {
    return node_value(self, [](const GameData& data, std::uint32_t node) { return mate_of(data.record, node); });
}

PyObject* get_parent(PyObject* self, void*) {
    std::uint32_t parent = 0;
    if (!read_node(self, [&](const GameData& data, std::uint32_t node) { parent = data.record.nodes[node].parent; })) {
        return nullptr;
    }
    return to_python(NodeAt{node_ref(self).game(), parent});
}

PyObject* board_method(PyObject* self, PyObject*) {
    std::optional<tarvik::Board> board;
    if (!read_node(self, [&](const GameData& data, std::uint32_t node) { board.emplace(board_at(data, node)); })) {
        return nullptr;
    }
    return to_python(std::move(*board));
}

PyObject* game_method(PyObject* self, PyObject*) { return Py_NewRef(node_ref(self).game()); }

PyObject* repr_form(PyObject* self) {
    std::string text;
    const bool read = read_node(self, [&](const GameData& data, std::uint32_t node) {
        const Position& before = data.positions()[data.record.nodes[node].parent];
        text = std::to_string(before.full_move_number) + (before.turn ? ". " : "... ") + san_of(data, node);
    });
    return read ? PyUnicode_FromFormat("<GameNode at %p (%s ...)>", self, text.c_str()) : nullptr;
}

PyObject* node_richcompare(PyObject* self, PyObject* other, int op) {
    if (!Py_IS_TYPE(other, Py_TYPE(self)) || (op != Py_EQ && op != Py_NE)) Py_RETURN_NOTIMPLEMENTED;
    const NodeRef &a = node_ref(self), &b = node_ref(other);
    return PyBool_FromLong((a.game() == b.game() && a.node() == b.node()) == (op == Py_EQ));
}

Py_hash_t node_hash(PyObject* self) {
    const NodeRef& ref = node_ref(self);
    const Py_hash_t hash = Py_HashPointer(ref.game()) ^ Py_hash_t(ref.node()) * 1000003;
    return hash == -1 ? -2 : hash;
}

PyMethodDef methods[] = {
    {"board", method_pointer(board_method), METH_NOARGS, doc("GameNode.board")},
    {"ply", method_pointer(ply_method), METH_NOARGS, doc("GameNode.ply")},
    {"turn", method_pointer(turn_method), METH_NOARGS, doc("GameNode.turn")},
    {"game", method_pointer(game_method), METH_NOARGS, doc("GameNode.game")},
    {"next", method_pointer(next_method), METH_NOARGS, doc("GameNode.next")},
    {"end", method_pointer(end_method), METH_NOARGS, doc("GameNode.end")},
    {"is_end", method_pointer(is_end_method), METH_NOARGS, doc("GameNode.is_end")},
    {"is_mainline", method_pointer(is_mainline_method), METH_NOARGS, doc("GameNode.is_mainline")},
    {"starts_variation", method_pointer(starts_variation_method), METH_NOARGS, doc("GameNode.starts_variation")},
    {"variation", method_pointer(variation_method), METH_O, doc("GameNode.variation")},
    {"has_variation", method_pointer(has_variation_method), METH_O, doc("GameNode.has_variation")},
    {"add_variation", method_pointer(add_variation_method), METH_FASTCALL | METH_KEYWORDS, doc("GameNode.add_variation")},
    {"add_main_variation", method_pointer(add_main_variation_method), METH_FASTCALL | METH_KEYWORDS,
     doc("GameNode.add_main_variation")},
    {"add_line", method_pointer(add_line_method), METH_FASTCALL | METH_KEYWORDS, doc("GameNode.add_line")},
    {"promote_to_main", method_pointer(promote_to_main_method), METH_O, doc("GameNode.promote_to_main")},
    {"promote", method_pointer(promote_method), METH_O, doc("GameNode.promote")},
    {"demote", method_pointer(demote_method), METH_O, doc("GameNode.demote")},
    {"remove_variation", method_pointer(remove_variation_method), METH_O, doc("GameNode.remove_variation")},
    {"clock", method_pointer(clock_method), METH_NOARGS, doc("GameNode.clock")},
    {"set_clock", method_pointer(set_clock_method), METH_FASTCALL | METH_KEYWORDS, doc("GameNode.set_clock")},
    {"eval", method_pointer(eval_method), METH_NOARGS, doc("GameNode.eval")},
    {"eval_depth", method_pointer(eval_depth_method), METH_NOARGS, doc("GameNode.eval_depth")},
    {"set_eval", method_pointer(set_eval_method), METH_FASTCALL | METH_KEYWORDS, doc("GameNode.set_eval")},
    {"arrows", method_pointer(arrows_method), METH_NOARGS, doc("GameNode.arrows")},
    {"set_arrows", method_pointer(set_arrows_method), METH_O, doc("GameNode.set_arrows")},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef attributes[] = {
    {"move", get_move, nullptr, doc("GameNode.move"), nullptr},
    {"san", get_san, nullptr, doc("GameNode.san"), nullptr},
    {"comment", get_node_comment, set_node_comment, doc("GameNode.comment"), nullptr},
    {"starting_comment", get_starting_comment, set_starting_comment, doc("GameNode.starting_comment"), nullptr},
    {"nags", get_nags, set_nags, doc("GameNode.nags"), nullptr},
    {"mate", get_mate, nullptr, doc("GameNode.mate"), nullptr},
    {"variations", get_node_variations, nullptr, doc("GameNode.variations"), nullptr},
    {"parent", get_parent, nullptr, doc("GameNode.parent"), nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot slots[] = {
    {Py_tp_doc, const_cast<char*>(doc("GameNode"))},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc_object<NodeRef>)},
    {Py_tp_repr, reinterpret_cast<void*>(repr_form)},
    {Py_tp_richcompare, reinterpret_cast<void*>(node_richcompare)},
    {Py_tp_hash, reinterpret_cast<void*>(node_hash)},
    {Py_tp_methods, methods},
    {Py_tp_getset, attributes},
    {0, nullptr},
};

// No constructor: nodes come from their game.
PyType_Spec type_spec{"tarvik.GameNode", sizeof(Object<NodeRef>), 0,
                      Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE | Py_TPFLAGS_DISALLOW_INSTANTIATION, slots};

}  // namespace

PyTypeObject* game_node_type() {
    if (the_game_node_type == nullptr) the_game_node_type = create_type(type_spec, ClassDoc::kept);
    return the_game_node_type;
}

void forget_game_node_type() { the_game_node_type = nullptr; }

NodeAt node_at(PyObject* self) {
    if (Py_IS_TYPE(self, game_node_type())) return {node_ref(self).game(), node_ref(self).node()};
    return {self, 0};
}

PyObject* to_python(const NodeAt& node) {
    return node.node == 0 ? Py_NewRef(node.game) : new_game_node(node.game, node.node);
}

PyObject* new_game_node(PyObject* game, std::uint32_t node) {
    return new_object<NodeRef>(game_node_type(), game, node);
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
