// The Termination and Outcome classes: how a game ended, as Board.outcome() tells
// it. Termination has one instance per reason, its class attributes, named and
// numbered as python-chess's enumeration; an Outcome is an immutable pair of a
// Termination and the winner, compared by value.
#include <array>

#include "docstrings.hpp"
#include "types.hpp"

namespace tarvik::module {
namespace {

constexpr std::array<const char*, 7> TERMINATION_NAMES{
    "CHECKMATE", "STALEMATE", "INSUFFICIENT_MATERIAL", "SEVENTYFIVE_MOVES", "FIVEFOLD_REPETITION", "FIFTY_MOVES",
    "THREEFOLD_REPETITION"};

const char* termination_name(Termination termination) {
    return TERMINATION_NAMES[static_cast<std::size_t>(termination) - 1];
}

// Per runtime: the two classes and the instances of Termination, which the class
// attributes hold too.
PyTypeObject* the_termination_type = nullptr;
PyTypeObject* the_outcome_type = nullptr;
std::array<PyObject*, TERMINATION_NAMES.size()> the_terminations{};

Termination termination_of(PyObject* member) { return as_object<Termination>(member)->record; }

// ---- Termination

// Termination(value): the instance of that number, or the instance itself, as an
// enumeration looks its members up.
PyObject* termination_lookup(PyObject* value) {
    if (Py_IS_TYPE(value, the_termination_type)) return Py_NewRef(value);
    if (PyLong_Check(value)) {
        const long number = PyLong_AsLong(value);
        if (number >= 1 && number <= long(TERMINATION_NAMES.size())) return Py_NewRef(the_terminations[number - 1]);
        PyErr_Clear();
    }
    return PyErr_Format(PyExc_ValueError, "%R is not a valid Termination", value);
}

PyObject* termination_vectorcall(PyObject*, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"value"};
    static constexpr Signature signature{"Termination.__new__", parameters, 1};
    PyObject* bound[1] = {};
    if (!bind_arguments(signature, args, PyVectorcall_NARGS(nargsf), kwnames, bound)) return nullptr;
    return termination_lookup(bound[0]);
}

PyObject* termination_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    return new_from_tuple(type, args, kwargs);
}

PyObject* termination_repr(PyObject* self) {
    const Termination termination = termination_of(self);
    return PyUnicode_FromFormat("<Termination.%s: %d>", termination_name(termination), int(termination));
}

PyObject* termination_str(PyObject* self) {
    return PyUnicode_FromFormat("Termination.%s", termination_name(termination_of(self)));
}

PyObject* get_name(PyObject* self, void*) { return PyUnicode_FromString(termination_name(termination_of(self))); }
PyObject* get_value(PyObject* self, void*) { return PyLong_FromLong(long(termination_of(self))); }

PyObject* termination_reduce(PyObject* self, PyObject*) {
    return Py_BuildValue("O(i)", Py_TYPE(self), int(termination_of(self)));
}

PyMethodDef termination_methods[] = {
    {"__reduce__", method_pointer(termination_reduce), METH_NOARGS, doc("Termination.__reduce__")},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef termination_attributes[] = {
    {"name", get_name, nullptr, doc("Termination.name"), nullptr},
    {"value", get_value, nullptr, doc("Termination.value"), nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot termination_slots[] = {
    {Py_tp_doc, const_cast<char*>(doc("Termination"))},
    {Py_tp_new, reinterpret_cast<void*>(termination_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc_object<Termination>)},
    {Py_tp_repr, reinterpret_cast<void*>(termination_repr)},
    {Py_tp_str, reinterpret_cast<void*>(termination_str)},
    {Py_tp_methods, termination_methods},
    {Py_tp_getset, termination_attributes},
    {0, nullptr},
};

PyType_Spec termination_spec{"tarvik.Termination", sizeof(Object<Termination>), 0,
                             Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE, termination_slots};

// The class and its instances, or nullptr with the error set and nothing kept.
PyTypeObject* create_termination_type() {
    PyTypeObject* type = create_type(termination_spec, ClassDoc::kept);
    if (type == nullptr) return nullptr;
    for (std::size_t i = 0; i < TERMINATION_NAMES.size(); ++i) {
        PyObject* member = new_object<Termination>(type, static_cast<Termination>(i + 1));
        the_terminations[i] = member;
        if (member == nullptr || !set_class_attribute(type, TERMINATION_NAMES[i], member)) {
            for (PyObject*& made : the_terminations) Py_CLEAR(made);
            Py_DECREF(type);
            return nullptr;
        }
    }
    type->tp_vectorcall = termination_vectorcall;
    return type;
}

// ---- Outcome

bool to_termination(PyObject* value, Termination& out) {
    PyTypeObject* type = termination_type();
    if (type == nullptr) return false;
    if (!Py_IS_TYPE(value, type)) {
        cannot_convert(value, "Termination");
        return false;
    }
    out = termination_of(value);
    return true;
}

// None, True or False.
bool to_winner(PyObject* value, std::optional<bool>& out) {
    if (value == Py_None) {
        out.reset();
        return true;
    }
    if (!PyBool_Check(value)) {
        cannot_convert(value, "Optional[bool]");
        return false;
    }
    out = value == Py_True;
    return true;
}

PyObject* outcome_vectorcall(PyObject*, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"termination", "winner"};
    static constexpr Signature signature{"Outcome.__new__", parameters, 2};
    return call_function<Param<Termination, to_termination>, Param<std::optional<bool>, to_winner>>(
        signature, args, PyVectorcall_NARGS(nargsf), kwnames,
        [](Termination termination, std::optional<bool> winner) { return OutcomeOrNone{Outcome{termination, winner}}; });
}

PyObject* outcome_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    return new_from_tuple(type, args, kwargs);
}

const Outcome& outcome_of(PyObject* self) { return as_object<Outcome>(self)->record; }

PyObject* winner_object(const Outcome& outcome) {
    return outcome.winner ? PyBool_FromLong(*outcome.winner) : Py_NewRef(Py_None);
}

PyObject* get_termination(PyObject* self, void*) {
    return Py_NewRef(the_terminations[static_cast<std::size_t>(outcome_of(self).termination) - 1]);
}

PyObject* get_winner(PyObject* self, void*) { return winner_object(outcome_of(self)); }

PyObject* outcome_result(PyObject* self, PyObject*) { return PyUnicode_FromString(result_text(outcome_of(self))); }

PyObject* outcome_repr(PyObject* self) {
    PyObject* termination = get_termination(self, nullptr);
    PyObject* winner = winner_object(outcome_of(self));
    PyObject* text = PyUnicode_FromFormat("Outcome(termination=%R, winner=%R)", termination, winner);
    Py_DECREF(termination);
    Py_DECREF(winner);
    return text;
}

PyObject* outcome_richcompare(PyObject* self, PyObject* other, int op) {
    if (!Py_IS_TYPE(other, Py_TYPE(self)) || (op != Py_EQ && op != Py_NE)) Py_RETURN_NOTIMPLEMENTED;
    const Outcome &a = outcome_of(self), &b = outcome_of(other);
    const bool equal = a.termination == b.termination && a.winner == b.winner;
    return PyBool_FromLong(equal == (op == Py_EQ));
}

Py_hash_t outcome_hash(PyObject* self) {
    const Outcome& outcome = outcome_of(self);
    return 3 * Py_hash_t(outcome.termination) + (outcome.winner ? 1 + *outcome.winner : 0);
}

PyObject* outcome_reduce(PyObject* self, PyObject*) {
    return Py_BuildValue("O(NN)", Py_TYPE(self), get_termination(self, nullptr), winner_object(outcome_of(self)));
}

PyMethodDef outcome_methods[] = {
    {"result", method_pointer(outcome_result), METH_NOARGS, doc("Outcome.result")},
    {"__reduce__", method_pointer(outcome_reduce), METH_NOARGS, doc("Outcome.__reduce__")},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef outcome_attributes[] = {
    {"termination", get_termination, nullptr, doc("Outcome.termination"), nullptr},
    {"winner", get_winner, nullptr, doc("Outcome.winner"), nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot outcome_slots[] = {
    {Py_tp_doc, const_cast<char*>(doc("Outcome"))},
    {Py_tp_new, reinterpret_cast<void*>(outcome_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc_object<Outcome>)},
    {Py_tp_repr, reinterpret_cast<void*>(outcome_repr)},
    {Py_tp_richcompare, reinterpret_cast<void*>(outcome_richcompare)},
    {Py_tp_hash, reinterpret_cast<void*>(outcome_hash)},
    {Py_tp_methods, outcome_methods},
    {Py_tp_getset, outcome_attributes},
    {0, nullptr},
};

PyType_Spec outcome_spec{"tarvik.Outcome", sizeof(Object<Outcome>), 0,
                         Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE, outcome_slots};

}  // namespace

PyTypeObject* termination_type() {
    if (the_termination_type == nullptr) the_termination_type = create_termination_type();
    return the_termination_type;
}

PyTypeObject* outcome_type() {
    // An Outcome's termination is read from the Termination instances.
    if (the_outcome_type == nullptr && termination_type() != nullptr &&
        (the_outcome_type = create_type(outcome_spec, ClassDoc::kept)) != nullptr) {
        the_outcome_type->tp_vectorcall = outcome_vectorcall;
    }
    return the_outcome_type;
}

void forget_outcome_types() {
    the_termination_type = nullptr;
    the_outcome_type = nullptr;
    the_terminations.fill(nullptr);
}

PyObject* to_python(OutcomeOrNone&& end) {
    if (!end.outcome) Py_RETURN_NONE;
    return new_object<Outcome>(outcome_type(), *end.outcome);
}

}  // namespace tarvik::module
