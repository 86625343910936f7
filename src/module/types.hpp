// The three classes the module defines. Each is a heap type created once per
// runtime, on first need; nullptr means the creation failed and the Python error
// is set.
#pragma once

#include "../board/board.hpp"
#include "boundary.hpp"

namespace tarvik::module {

PyTypeObject* board_type();
PyTypeObject* move_type();
PyTypeObject* board_state_type();

// Drop the type objects (and the memory kept for Move objects) once the runtime
// that made them has finalized: they died with it, and a program that starts a
// new runtime must get new ones. No Python API may be called by then.
void forget_board_type();
void forget_move_type();
void forget_board_state_type();

// Engine records copied out of Python objects under shared access.
bool to_move(PyObject* value, Move& out);
bool to_board_state(PyObject* value, BoardState& out);
using MoveParam = Param<Move, to_move>;
using BoardStateParam = Param<BoardState, to_board_state>;

// Creates a heap type from its PyType_Spec; the qualified name "builtins.X"
// makes Python report __module__ as builtins. The specs ask for immutable types,
// as CPython's own are: replacing __new__ or a method on the class would let
// Python build an object whose record was never constructed.
PyTypeObject* create_type(PyType_Spec& type_spec);

// Copies the engine record out of an instance of `type` under shared access, so
// later changes to the object do not reach the engine. Any other value raises
// "'{type}' object cannot be converted to '{name}'".
template <class Record>
bool copy_record(PyObject* value, PyTypeObject* type, const char* name, Record& out) {
    if (type == nullptr) return false;
    if (!PyObject_TypeCheck(value, type)) {
        cannot_convert(value, name);
        return false;
    }
    Object<Record>* object = as_object<Record>(value);
    Borrow borrow(object->access, Access::shared);
    if (!borrow) return false;
    out = object->record;
    return true;
}

// A constructor binds and converts its arguments, builds the record (which may
// fail inside the engine), and only then creates the Python object.
template <class Record, class... Params, class Build>
PyObject* construct(PyTypeObject* type, const Signature& signature, PyObject* const* args, Py_ssize_t nargs,
                    PyObject* kwnames, Build&& build) {
    PyObject* bound[sizeof...(Params)] = {};
    if (!bind_arguments(signature, args, nargs, kwnames, bound)) return nullptr;
    std::tuple<typename Params::type...> values;
    if (!convert_arguments<Params...>(signature, bound, values, std::index_sequence_for<Params...>{})) return nullptr;
    Record record{};
    if (!run_engine([&] { record = std::apply(build, std::move(values)); })) return nullptr;
    PyObject* self = type->tp_alloc(type, 0);
    if (self == nullptr) return nullptr;
    return emplace_record(self, std::move(record));
}

// tp_new in the form the interpreter calls it, for Class.__new__(Class, ...):
// the same binding as the class's vectorcall.
PyObject* new_from_tuple(PyTypeObject* type, PyObject* args, PyObject* kwargs);

}  // namespace tarvik::module
