// Board methods that set a position up part by part and read it back as python-chess
// does: the placement field, the castling rights, material, and the move between two
// squares.
#include <utility>
#include <vector>

#include "../board/draws.hpp"
#include "../board/editing.hpp"
#include "../board/fen.hpp"
#include "../board/notation.hpp"
#include "board_methods.hpp"

namespace tarvik::module {
namespace {

// {square: letter}, as piece_map() returns it: any object with items().
using Placement = std::vector<std::pair<Square, char32_t>>;

bool to_placement(PyObject* value, Placement& out) {
    if (!PyDict_Check(value) && !PyObject_HasAttrString(value, "items")) {
        cannot_convert(value, "Mapping");
        return false;
    }
    const Owned items(PyMapping_Items(value));
    if (!items) return false;
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i) {
        PyObject* item = PyList_GET_ITEM(items.get(), i);
        std::uint8_t square = 0;
        char32_t letter = 0;
        if (!PyTuple_Check(item) || PyTuple_GET_SIZE(item) != 2) {
            cannot_convert(item, "(square, piece)");
            return false;
        }
        if (!to_square(PyTuple_GET_ITEM(item, 0), square) || !to_char(PyTuple_GET_ITEM(item, 1), letter)) return false;
        out.emplace_back(square, letter);
    }
    return true;
}

using PlacementParam = Param<Placement, to_placement>;

PyObject* has_insufficient_material_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"color"};
    static constexpr Signature signature{"Board.has_insufficient_material", parameters, 1};
    return board_call<Access::shared, BoolParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, bool white) { return has_insufficient_material(board.position, white); });
}

PyObject* set_board_fen_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"fen"};
    static constexpr Signature signature{"Board.set_board_fen", parameters, 1};
    return board_call<Access::exclusive, TextParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, const std::string& fen) { set_board_fen(board, fen); });
}

// The board records no promotions, so there is never a "~" for `promoted` to add.
PyObject* board_fen_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"promoted"};
    static constexpr Signature signature{"Board.board_fen", parameters, 0, 1};
    return board_call<Access::shared, TruthParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, bool) { return board_fen(board.position); });
}

PyObject* set_castling_fen_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"castling_fen"};
    static constexpr Signature signature{"Board.set_castling_fen", parameters, 1};
    return board_call<Access::exclusive, TextParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, const std::string& castling) { set_castling_fen(board, castling); });
}

PyObject* set_piece_map_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"pieces"};
    static constexpr Signature signature{"Board.set_piece_map", parameters, 1};
    return board_call<Access::exclusive, PlacementParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, const Placement& pieces) { set_piece_map(board, pieces); });
}

PyObject* clean_castling_rights_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self, [](tarvik::Board& board) { return clean_castling_rights(board); });
}

PyObject* find_move_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"from_square", "to_square", "promotion"};
    static constexpr Signature signature{"Board.find_move", parameters, 2};
    return board_call<Access::shared, SquareParam, SquareParam, OptionalCharParam>(self, signature, args, nargs,
        kwnames, [](tarvik::Board& board, std::uint8_t from, std::uint8_t to, std::optional<char32_t> promotion) {
            return legal_move_from_squares(board, from, to, promotion);
        });
}

const PyMethodDef methods[] = {
    {"has_insufficient_material", method_pointer(has_insufficient_material_method), WITH_ARGUMENTS,
     doc("Board.has_insufficient_material")},
    {"set_board_fen", method_pointer(set_board_fen_method), WITH_ARGUMENTS, doc("Board.set_board_fen")},
    {"board_fen", method_pointer(board_fen_method), WITH_ARGUMENTS, doc("Board.board_fen")},
    {"set_castling_fen", method_pointer(set_castling_fen_method), WITH_ARGUMENTS, doc("Board.set_castling_fen")},
    {"set_piece_map", method_pointer(set_piece_map_method), WITH_ARGUMENTS, doc("Board.set_piece_map")},
    {"clean_castling_rights", method_pointer(clean_castling_rights_method), NO_ARGUMENTS,
     doc("Board.clean_castling_rights")},
    {"find_move", method_pointer(find_move_method), WITH_ARGUMENTS, doc("Board.find_move")},
};

}  // namespace

std::span<const PyMethodDef> setup_board_methods() { return methods; }

}  // namespace tarvik::module
