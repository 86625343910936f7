// The Game class: one game read from PGN (or made from a board), immutable. Its
// attributes are built from the record when asked for, so reading a file costs
// only what the record costs.
#include "../board/apply.hpp"
#include "../board/fen.hpp"
#include "../game/annotations.hpp"
#include "../game/export.hpp"
#include "../game/from_board.hpp"
#include "../game/record_bytes.hpp"
#include "docstrings.hpp"
#include "game_data.hpp"

namespace tarvik::module {
namespace {

using game::GameRecord;

PyTypeObject* the_game_type = nullptr;

// A list with one item per move of the mainline.
template <class Item>
PyObject* per_ply(PyObject* self, Item item) {
    return get_computed<GameData>(self, [&](const GameData& data) {
        std::vector<std::invoke_result_t<Item, const GameRecord&, std::uint32_t>> items;
        for (const std::uint32_t node : data.record.mainline()) items.push_back(item(data.record, node));
        return items;
    });
}

PyObject* get_headers(PyObject* self, void*) { return headers_of(self); }

int set_headers(PyObject* self, PyObject* value, void*) {
    if (value == nullptr) {
        PyErr_SetString(PyExc_AttributeError, "can't delete attribute");
        return -1;
    }
    return replace_headers(self, value) ? 0 : -1;
}

PyObject* get_moves(PyObject* self, void*) {
    return per_ply(self, [](const GameRecord& record, std::uint32_t node) { return record.nodes[node].move; });
}

PyObject* get_comments(PyObject* self, void*) {
    return per_ply(self, [](const GameRecord& record, std::uint32_t node) {
        return std::string(record.view(record.nodes[node].comment));
    });
}

PyObject* get_nags(PyObject* self, void*) {
    return per_ply(self, [](const GameRecord& record, std::uint32_t node) { return NagSet{record.nags_of(node)}; });
}

PyObject* get_clocks(PyObject* self, void*) { return per_ply(self, clock_of); }
PyObject* get_evals(PyObject* self, void*) { return per_ply(self, evaluation_of); }
PyObject* get_mates(PyObject* self, void*) { return per_ply(self, mate_of); }

PyObject* get_starting_fen(PyObject* self, void*) {
    return get_computed<GameData>(self, [](const GameData& data) { return to_fen(data.record.start); });
}

PyObject* get_result(PyObject* self, void*) {
    return get_computed<GameData>(self, [](const GameData& data) { return std::string(data.record.result()); });
}

PyObject* get_offset(PyObject* self, void*) {
    return get_computed<GameData>(self, [](const GameData& data) { return data.record.offset; });
}

PyObject* get_errors(PyObject* self, void*) {
    return get_computed<GameData>(self, [](const GameData& data) { return data.record.errors; });
}

PyObject* header_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"name", "default"};
    static constexpr Signature signature{"Game.header", parameters, 1};
    PyObject* bound[2] = {};
    if (!bind_arguments(signature, args, nargs, kwnames, bound)) return nullptr;
    std::string name;
    if (!convert_argument<TextParam>("name", bound[0], name)) return nullptr;
    std::optional<std::string> value;
    if (!read_record<GameData>(self, [&](const GameData& data) {
            if (const game::Tag* tag = data.record.tag(name)) value.emplace(data.record.view(tag->value));
        })) {
        return nullptr;
    }
    if (value) return module::to_python(*value);
    return Py_NewRef(bound[1] ? bound[1] : Py_None);
}

PyObject* mainline_method(PyObject* self, PyObject*) {
    std::vector<std::uint32_t> nodes;
    if (!read_record<GameData>(self, [&](const GameData& data) { nodes = data.record.mainline(); })) return nullptr;
    return game_nodes(self, nodes);
}

PyObject* board_method(PyObject* self, PyObject*) {
    static constexpr Signature no_arguments{"", {}, 0};
    return call_method<GameData, Access::shared>(self, no_arguments, nullptr, 0, nullptr, [](GameData& data) {
        tarvik::Board board = data.record.start;
        for (const std::uint32_t node : data.record.mainline()) apply_move(board, data.record.nodes[node].move);
        return board;
    });
}

// Lines as long as the exporter makes them by default.
using ColumnsParam = Defaulted<Optional<Uint32Param>, std::uint32_t(*game::ExportOptions{}.columns)>;

PyObject* export_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"columns", "headers", "comments", "variations"};
    static constexpr Signature signature{"Game.export", parameters, 0, 4};
    return call_method<GameData, Access::shared, ColumnsParam, TrueParam, TrueParam, TrueParam>(
        self, signature, args, nargs, kwnames,
        [](GameData& data, std::optional<std::uint32_t> columns, bool headers, bool comments, bool variations) {
            return game::export_pgn(data.record, {.columns = columns, .headers = headers, .comments = comments, .variations = variations});
        });
}

// Tag pairs from a dict (or any mapping) of str to str; None for none.
bool to_tag_pairs(PyObject* value, std::optional<game::TagPairs>& out) {
    if (value == Py_None) {
        out.reset();
        return true;
    }
    PyObject* items = PyMapping_Items(value);
    if (items == nullptr) {
        if (PyErr_ExceptionMatches(PyExc_AttributeError) || PyErr_ExceptionMatches(PyExc_TypeError)) {
            PyErr_Clear();
            cannot_convert(value, "dict");
        }
        return false;
    }
    game::TagPairs& pairs = out.emplace();
    bool read = true;
    for (Py_ssize_t i = 0; read && i < PyList_GET_SIZE(items); ++i) {
        PyObject* pair = PyList_GET_ITEM(items, i);
        std::string name, text;
        if (!PyTuple_Check(pair) || PyTuple_GET_SIZE(pair) != 2) {
            // A mapping whose items() is not a dict's.
            PyErr_Format(PyExc_TypeError, "argument 'headers': items() gave %R, not a (name, value) pair", pair);
            read = false;
            break;
        }
        read = to_text(PyTuple_GET_ITEM(pair, 0), name) && to_text(PyTuple_GET_ITEM(pair, 1), text);
        if (read) pairs.emplace_back(std::move(name), std::move(text));
    }
    Py_DECREF(items);
    return read;
}

using TagPairsParam = Param<std::optional<game::TagPairs>, to_tag_pairs>;

PyObject* from_board_method(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"board", "headers"};
    static constexpr Signature signature{"Game.from_board", parameters, 1};
    return call_function<BoardParam, TagPairsParam>(
        signature, args, nargs, kwnames, [](const tarvik::Board& board, const std::optional<game::TagPairs>& tags) {
            return game::game_from_board(board, tags ? *tags : game::TagPairs{});
        });
}

// Pickled as Game() and then __setstate__((start, record bytes)).
struct PickledGame {
    tarvik::Board start;
    std::string bytes;
};

PyObject* to_python(PickledGame&& pickled) {
    PyObject* start = module::to_python(std::move(pickled.start));
    PyObject* bytes = start ? PyBytes_FromStringAndSize(pickled.bytes.data(), Py_ssize_t(pickled.bytes.size())) : nullptr;
    if (bytes == nullptr) {
        Py_XDECREF(start);
        return nullptr;
    }
    return Py_BuildValue("O()(NN)", game_type(), start, bytes);
}

PyObject* reduce_method(PyObject* self, PyObject*) {
    return get_computed<GameData>(self, [](const GameData& data) {
        return PickledGame{data.record.start, game::record_bytes(data.record)};
    });
}

bool to_pickled_game(PyObject* value, PickledGame& out) {
    if (!PyTuple_Check(value) || PyTuple_GET_SIZE(value) != 2) {
        cannot_convert(value, "tuple[Board, bytes]");
        return false;
    }
    return to_board(PyTuple_GET_ITEM(value, 0), out.start) && to_bytes(PyTuple_GET_ITEM(value, 1), out.bytes);
}

PyObject* setstate_method(PyObject* self, PyObject* state) {
    static constexpr const char* parameters[] = {"state"};
    static constexpr Signature signature{"Game.__setstate__", parameters, 1};
    return call_method<GameData, Access::exclusive, Param<PickledGame, to_pickled_game>>(
        self, signature, &state, 1, nullptr, [](GameData& data, const PickledGame& pickled) {
            data = GameData(game::record_from_bytes(pickled.start, pickled.bytes));
        });
}

PyObject* text_form(PyObject* self) {
    return get_computed<GameData>(self, [](const GameData& data) {
        return game::export_pgn(data.record, {.columns = std::nullopt});
    });
}

PyObject* repr_form(PyObject* self) {
    std::string white, black, date, site;
    std::size_t errors = 0;
    const bool read = read_record<GameData>(self, [&](const GameData& data) {
        const GameRecord& record = data.record;
        // As python-chess's repr reads them: headers.get(name, "?").
        const auto tag = [&](std::string_view name) {
            const game::Tag* found = record.tag(name);
            return std::string(found ? record.view(found->value) : "?");
        };
        white = tag("White"), black = tag("Black"), date = tag("Date"), site = tag("Site");
        errors = record.errors.size();
    });
    if (!read) return nullptr;
    PyObject* texts[] = {module::to_python(white), module::to_python(black), module::to_python(date),
                         module::to_python(site)};
    PyObject* repr = nullptr;
    if (texts[0] && texts[1] && texts[2] && texts[3]) {
        repr = errors ? PyUnicode_FromFormat("<Game at %p (%R vs. %R, %R at %R, %zu errors)>", self, texts[0],
                                             texts[1], texts[2], texts[3], errors)
                      : PyUnicode_FromFormat("<Game at %p (%R vs. %R, %R at %R)>", self, texts[0], texts[1],
                                             texts[2], texts[3]);
    }
    for (PyObject* text : texts) Py_XDECREF(text);
    return repr;
}

// Game(headers=None): an empty game from the standard start, with the seven-tag
// roster as python-chess's Game() has it, then `headers`.
PyObject* game_vectorcall(PyObject*, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"headers"};
    static constexpr Signature signature{"Game.__new__", parameters, 0};
    return call_function<TagPairsParam>(
        signature, args, PyVectorcall_NARGS(nargsf), kwnames, [](const std::optional<game::TagPairs>& tags) {
            game::TagPairs roster(game::ROSTER.begin(), game::ROSTER.end());
            if (tags) roster.insert(roster.end(), tags->begin(), tags->end());
            return game::game_from_board(board_from_fen(std::string(DEFAULT_FEN)), roster);
        });
}

PyObject* game_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) { return new_from_tuple(type, args, kwargs); }

PyMethodDef methods[] = {
    {"header", method_pointer(header_method), METH_FASTCALL | METH_KEYWORDS, doc("Game.header")},
    {"__reduce__", method_pointer(reduce_method), METH_NOARGS, doc("Game.__reduce__")},
    {"__setstate__", method_pointer(setstate_method), METH_O, doc("Game.__setstate__")},
    {"board", method_pointer(board_method), METH_NOARGS, doc("Game.board")},
    {"mainline", method_pointer(mainline_method), METH_NOARGS, doc("Game.mainline")},
    {"export", method_pointer(export_method), METH_FASTCALL | METH_KEYWORDS, doc("Game.export")},
    {"from_board", method_pointer(from_board_method), METH_FASTCALL | METH_KEYWORDS | METH_CLASS,
     doc("Game.from_board")},
    {"ply", method_pointer(ply_method), METH_NOARGS, doc("Game.ply")},
    {"turn", method_pointer(turn_method), METH_NOARGS, doc("Game.turn")},
    {"next", method_pointer(next_method), METH_NOARGS, doc("Game.next")},
    {"end", method_pointer(end_method), METH_NOARGS, doc("Game.end")},
    {"is_end", method_pointer(is_end_method), METH_NOARGS, doc("Game.is_end")},
    {"variation", method_pointer(variation_method), METH_O, doc("Game.variation")},
    {"has_variation", method_pointer(has_variation_method), METH_O, doc("Game.has_variation")},
    {"add_variation", method_pointer(add_variation_method), METH_FASTCALL | METH_KEYWORDS, doc("Game.add_variation")},
    {"add_main_variation", method_pointer(add_main_variation_method), METH_FASTCALL | METH_KEYWORDS,
     doc("Game.add_main_variation")},
    {"add_line", method_pointer(add_line_method), METH_FASTCALL | METH_KEYWORDS, doc("Game.add_line")},
    {"promote_to_main", method_pointer(promote_to_main_method), METH_O, doc("Game.promote_to_main")},
    {"promote", method_pointer(promote_method), METH_O, doc("Game.promote")},
    {"demote", method_pointer(demote_method), METH_O, doc("Game.demote")},
    {"remove_variation", method_pointer(remove_variation_method), METH_O, doc("Game.remove_variation")},
    {"clock", method_pointer(clock_method), METH_NOARGS, doc("Game.clock")},
    {"set_clock", method_pointer(set_clock_method), METH_FASTCALL | METH_KEYWORDS, doc("Game.set_clock")},
    {"eval", method_pointer(eval_method), METH_NOARGS, doc("Game.eval")},
    {"eval_depth", method_pointer(eval_depth_method), METH_NOARGS, doc("Game.eval_depth")},
    {"set_eval", method_pointer(set_eval_method), METH_FASTCALL | METH_KEYWORDS, doc("Game.set_eval")},
    {"arrows", method_pointer(arrows_method), METH_NOARGS, doc("Game.arrows")},
    {"set_arrows", method_pointer(set_arrows_method), METH_O, doc("Game.set_arrows")},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef attributes[] = {
    {"headers", get_headers, set_headers, doc("Game.headers"), nullptr},
    {"moves", get_moves, nullptr, doc("Game.moves"), nullptr},
    {"starting_fen", get_starting_fen, nullptr, doc("Game.starting_fen"), nullptr},
    {"result", get_result, nullptr, doc("Game.result"), nullptr},
    {"offset", get_offset, nullptr, doc("Game.offset"), nullptr},
    {"errors", get_errors, nullptr, doc("Game.errors"), nullptr},
    {"comment", get_node_comment, set_node_comment, doc("Game.comment"), nullptr},
    {"comments", get_comments, nullptr, doc("Game.comments"), nullptr},
    {"nags", get_nags, nullptr, doc("Game.nags"), nullptr},
    {"clocks", get_clocks, nullptr, doc("Game.clocks"), nullptr},
    {"evals", get_evals, nullptr, doc("Game.evals"), nullptr},
    {"mates", get_mates, nullptr, doc("Game.mates"), nullptr},
    {"variations", get_node_variations, nullptr, doc("Game.variations"), nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot slots[] = {
    {Py_tp_doc, const_cast<char*>(doc("Game"))},
    {Py_tp_new, reinterpret_cast<void*>(game_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc_object<GameData>)},
    {Py_tp_str, reinterpret_cast<void*>(text_form)},
    {Py_tp_repr, reinterpret_cast<void*>(repr_form)},
    {Py_tp_methods, methods},
    {Py_tp_getset, attributes},
    {0, nullptr},
};

PyType_Spec type_spec{"tarvik.Game", sizeof(Object<GameData>), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE,
                      slots};

}  // namespace

PyTypeObject* game_type() {
    if (the_game_type == nullptr && (the_game_type = create_type(type_spec, ClassDoc::kept)) != nullptr) {
        the_game_type->tp_vectorcall = game_vectorcall;
    }
    return the_game_type;
}

void forget_game_type() { the_game_type = nullptr; }

PyObject* to_python(game::GameRecord&& record) {
    return new_object<GameData>(game_type(), std::move(record));
}

const std::vector<Position>& GameData::positions() const {
    if (positions_.empty()) {
        const std::vector<game::Node>& nodes = record.nodes;
        positions_.resize(nodes.size());
        positions_[0] = record.start.position;
        // A parent always comes before its children.
        for (std::size_t node = 1; node < nodes.size(); ++node) {
            positions_[node] = positions_[nodes[node].parent];
            make_move(positions_[node], nodes[node].move);
        }
    }
    return positions_;
}

std::vector<std::uint32_t> children(const game::GameRecord& record, std::uint32_t node) {
    std::vector<std::uint32_t> found;
    for (std::uint32_t child = record.nodes[node].first_child; child != game::NONE;
         child = record.nodes[child].next_sibling) {
        found.push_back(child);
    }
    return found;
}

PyObject* to_python(const NagSet& set) {
    PyObject* nags = set.frozen ? PyFrozenSet_New(nullptr) : PySet_New(nullptr);
    for (const std::uint32_t nag : set.nags) {
        if (nags == nullptr) return nullptr;
        PyObject* number = PyLong_FromUnsignedLong(nag);
        if (!number || PySet_Add(nags, number) < 0) Py_CLEAR(nags);
        Py_XDECREF(number);
    }
    return nags;
}

std::optional<double> clock_of(const game::GameRecord& record, std::uint32_t node) {
    return game::read_clock(record.view(record.nodes[node].comment));
}

std::optional<std::int64_t> evaluation_of(const game::GameRecord& record, std::uint32_t node) {
    const std::optional<game::Evaluation> evaluation = game::read_evaluation(record.view(record.nodes[node].comment));
    return evaluation ? evaluation->centipawns : std::nullopt;
}

std::optional<std::int64_t> mate_of(const game::GameRecord& record, std::uint32_t node) {
    const std::optional<game::Evaluation> evaluation = game::read_evaluation(record.view(record.nodes[node].comment));
    return evaluation ? evaluation->mate : std::nullopt;
}

}  // namespace tarvik::module
