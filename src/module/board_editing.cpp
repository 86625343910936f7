// Board methods that set a position up: from strict FEN text.
#include "../board/strict_fen.hpp"
#include "board_methods.hpp"

namespace tarvik::module {
namespace {

PyObject* from_fen_method(PyObject*, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"fen"};
    static constexpr Signature signature{"Board.from_fen", parameters, 1};
    return call_function<TextParam>(signature, args, nargs, kwnames,
        [](const std::string& fen) { return board_from_strict_fen(fen); });
}

const PyMethodDef methods[] = {
    {"from_fen", method_pointer(from_fen_method), WITH_ARGUMENTS | METH_CLASS, doc("Board.from_fen")},
};

}  // namespace

std::span<const PyMethodDef> editing_board_methods() { return methods; }

}  // namespace tarvik::module
