// The BoardState class: a position snapshot. Python only meets it as the type
// that Board._restore demands, so it has no constructor, attributes or methods.
#include "types.hpp"

namespace tarvik::module {
namespace {

PyTypeObject* the_board_state_type = nullptr;

PyObject* refuse_construction(PyTypeObject*, PyObject*, PyObject*) {
    PyErr_SetString(PyExc_TypeError, "No constructor defined for BoardState");
    return nullptr;
}

PyType_Slot slots[] = {
    {Py_tp_new, reinterpret_cast<void*>(refuse_construction)},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc_object<BoardState>)},
    {0, nullptr},
};

PyType_Spec type_spec{"builtins.BoardState", sizeof(Object<BoardState>), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE, slots};

}  // namespace

PyTypeObject* board_state_type() {
    if (the_board_state_type == nullptr) the_board_state_type = create_type(type_spec);
    return the_board_state_type;
}

void forget_board_state_type() { the_board_state_type = nullptr; }

bool to_board_state(PyObject* value, BoardState& out) {
    return copy_record(value, board_state_type(), "BoardState", out);
}

}  // namespace tarvik::module
