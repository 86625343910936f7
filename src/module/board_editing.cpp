// Board methods that set a position up and judge it: strict FEN, piece by piece
// edits, mirroring, and python-chess's validity flags.
#include "../board/editing.hpp"
#include "../board/strict_fen.hpp"
#include "../board/validity.hpp"
#include "board_methods.hpp"

namespace tarvik::module {
namespace {

constexpr const char* FEN[] = {"fen"};

PyObject* from_fen_method(PyObject*, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Signature signature{"Board.from_fen", FEN, 1};
    return call_function<TextParam>(signature, args, nargs, kwnames,
        [](const std::string& fen) { return board_from_strict_fen(fen); });
}

PyObject* set_fen_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Signature signature{"Board.set_fen", FEN, 1};
    return board_call<Access::exclusive, TextParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, const std::string& fen) { board = board_from_strict_fen(fen); });
}

PyObject* set_piece_at_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"square", "piece"};
    static constexpr Signature signature{"Board.set_piece_at", parameters, 2};
    return board_call<Access::exclusive, SquareParam, OptionalCharParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, std::uint8_t square, std::optional<char32_t> piece) {
            if (piece) {
                set_piece_at(board, square, *piece);
            } else {
                remove_piece_at(board, square);
            }
        });
}

PyObject* remove_piece_at_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"square"};
    static constexpr Signature signature{"Board.remove_piece_at", parameters, 1};
    return board_call<Access::exclusive, SquareParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, std::uint8_t square) -> std::optional<char> {
            if (const char letter = remove_piece_at(board, square)) return letter;
            return std::nullopt;
        });
}

PyObject* clear_stack_method(PyObject* self, PyObject*) {
    return board_call<Access::exclusive>(self, [](tarvik::Board& board) { clear_stack(board); });
}

PyObject* mirror_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self, [](tarvik::Board& board) { return mirror(board); });
}

PyObject* status_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self, [](tarvik::Board& board) { return std::uint64_t{status(board)}; });
}

PyObject* is_valid_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self, [](tarvik::Board& board) { return status(board) == 0; });
}

const PyMethodDef methods[] = {
    {"from_fen", method_pointer(from_fen_method), WITH_ARGUMENTS | METH_CLASS, doc("Board.from_fen")},
    {"set_fen", method_pointer(set_fen_method), WITH_ARGUMENTS, doc("Board.set_fen")},
    {"set_piece_at", method_pointer(set_piece_at_method), WITH_ARGUMENTS, doc("Board.set_piece_at")},
    {"remove_piece_at", method_pointer(remove_piece_at_method), WITH_ARGUMENTS, doc("Board.remove_piece_at")},
    {"clear_stack", method_pointer(clear_stack_method), NO_ARGUMENTS, doc("Board.clear_stack")},
    {"mirror", method_pointer(mirror_method), NO_ARGUMENTS, doc("Board.mirror")},
    {"status", method_pointer(status_method), NO_ARGUMENTS, doc("Board.status")},
    {"is_valid", method_pointer(is_valid_method), NO_ARGUMENTS, doc("Board.is_valid")},
};

}  // namespace

std::span<const PyMethodDef> editing_board_methods() { return methods; }

}  // namespace tarvik::module
