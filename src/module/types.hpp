// The classes the module defines. Each is a heap type created once per runtime, on
// first need; nullptr means the creation failed and the Python error is set.
#pragma once

#include "../board/board.hpp"
#include "../board/outcome.hpp"
#include "boundary.hpp"

namespace tarvik::module {

PyTypeObject* board_type();
PyTypeObject* move_type();
PyTypeObject* board_state_type();
PyTypeObject* termination_type();
PyTypeObject* outcome_type();

// Drop the type objects (and the memory kept for Move objects) once the runtime
// that made them has finalized: they died with it, and a program that starts a
// new runtime must get new ones. No Python API may be called by then.
void forget_board_type();
void forget_move_type();
void forget_board_state_type();
void forget_outcome_types();

// How a game ended, as an Outcome object, or None.
struct OutcomeOrNone {
    std::optional<tarvik::Outcome> outcome;
};
PyObject* to_python(OutcomeOrNone&& end);

// What pickling a Board needs: Board(fen), then __setstate__(state).
struct PickledBoard {
    std::string fen;
    std::string state;
};
PyObject* to_python(PickledBoard&& pickled);

// The __reduce__ value that rebuilds a Board or a Move (classes that say they live
// in "builtins") as Class(*arguments), a tuple, and then, unless `state` is null,
// calls its __setstate__(state).
PyObject* reduce_to_call(const char* class_name, PyObject* arguments, PyObject* state);

// Engine records copied out of Python objects under shared access.
bool to_move(PyObject* value, Move& out);
bool to_moves(PyObject* value, std::vector<Move>& out);  // any iterable of Move objects
bool to_board_state(PyObject* value, BoardState& out);
bool to_board(PyObject* value, tarvik::Board& out);
using MoveParam = Param<Move, to_move>;
using MovesParam = Param<std::vector<Move>, to_moves>;
using BoardStateParam = Param<BoardState, to_board_state>;
using BoardParam = Param<tarvik::Board, to_board>;

// An owned reference, released at the end of its scope.
class Owned {
public:
    explicit Owned(PyObject* object) : object_(object) {}
    ~Owned() { Py_XDECREF(object_); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    PyObject* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    PyObject* object_;
};

// Creates a heap type from its PyType_Spec. The qualified name gives __module__:
// "builtins" for Board, Move and BoardState, "tarvik" for the classes added beside
// them, so pickle and copy find those by name. Every PyType_Spec asks for an
// immutable type, as CPython's own are: replacing __new__ or a method on the class
// would let Python build an object whose record was never constructed. Board, Move
// and BoardState have the __doc__ None; the classes added beside them keep theirs.
enum class ClassDoc { none, kept };
PyTypeObject* create_type(PyType_Spec& type_spec, ClassDoc class_doc = ClassDoc::none);

// Sets a class attribute of an immutable type (before any instance uses it).
bool set_class_attribute(PyTypeObject* type, const char* name, PyObject* value);

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

// tp_new in the form the interpreter calls it, for Class.__new__(Class, ...):
// the same binding as the class's vectorcall.
PyObject* new_from_tuple(PyTypeObject* type, PyObject* args, PyObject* kwargs);

}  // namespace tarvik::module
