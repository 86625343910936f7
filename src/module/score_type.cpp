// The Score class: an evaluation from one side's point of view, immutable. Scores
// of one point of view order from being mated to mating; scores are equal when
// White sees them alike, whoever's view they are.
#include "../game/score.hpp"
#include "docstrings.hpp"
#include "score_type.hpp"

namespace tarvik::module {
namespace {

using game::Score;

PyTypeObject* the_score_type = nullptr;

const Score& score_of(PyObject* self) { return as_object<Score>(self)->record; }

struct ScoreArguments {
    bool turn;
    std::optional<long long> centipawns, mate;
};

PyObject* score_vectorcall(PyObject*, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"turn", "cp", "mate"};
    static constexpr Signature signature{"Score.__new__", parameters, 1};
    PyObject* bound[3] = {};
    if (!bind_arguments(signature, args, PyVectorcall_NARGS(nargsf), kwnames, bound)) return nullptr;
    ScoreArguments given{};
    if (!convert_argument<BoolParam>("turn", bound[0], given.turn) ||
        !convert_argument<Optional<CountParam>>("cp", bound[1], given.centipawns) ||
        !convert_argument<Optional<CountParam>>("mate", bound[2], given.mate)) {
        return nullptr;
    }
    if (given.centipawns.has_value() == given.mate.has_value()) {
        PyErr_SetString(PyExc_TypeError, "Score() takes exactly one of 'cp' and 'mate'");
        return nullptr;
    }
    return to_python(given.centipawns ? Score{given.turn, Score::Kind::centipawns, *given.centipawns}
                                      : Score{given.turn, Score::Kind::mate, *given.mate});
}

PyObject* score_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) { return new_from_tuple(type, args, kwargs); }

PyObject* get_turn(PyObject* self, void*) { return PyBool_FromLong(score_of(self).turn); }

PyObject* get_relative(PyObject* self, void*) { return Py_NewRef(self); }

PyObject* white_method(PyObject* self, PyObject*) { return to_python(score_of(self).pov(true)); }
PyObject* black_method(PyObject* self, PyObject*) { return to_python(score_of(self).pov(false)); }

PyObject* pov_method(PyObject* self, PyObject* color) {
    bool turn = false;
    if (!convert_argument<BoolParam>("color", color, turn)) return nullptr;
    return to_python(score_of(self).pov(turn));
}

PyObject* is_mate_method(PyObject* self, PyObject*) { return to_python(score_of(self).mate().has_value()); }

PyObject* mate_method(PyObject* self, PyObject*) { return to_python(score_of(self).mate()); }

PyObject* score_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"mate_score"};
    static constexpr Signature signature{"Score.score", parameters, 0, 1};
    PyObject* bound[1] = {};
    if (!bind_arguments(signature, args, nargs, kwnames, bound)) return nullptr;
    std::optional<long long> mate_score;
    if (!convert_argument<Optional<CountParam>>("mate_score", bound[0], mate_score)) return nullptr;
    return to_python(score_of(self).centipawns(mate_score));
}

PyObject* score_repr(PyObject* self) {
    const Score& score = score_of(self);
    const char* turn = score.turn ? "True" : "False";
    if (score.kind == Score::Kind::mate_given) {
        // Only a mate seen from the mated side can be made directly.
        return PyUnicode_FromFormat("Score(%s, mate=0).pov(%s)", score.turn ? "False" : "True", turn);
    }
    return PyUnicode_FromFormat("Score(%s, %s=%lld)", turn, score.kind == Score::Kind::mate ? "mate" : "cp",
                                static_cast<long long>(score.value));
}

PyObject* score_richcompare(PyObject* self, PyObject* other, int op) {
    if (!Py_IS_TYPE(other, Py_TYPE(self))) Py_RETURN_NOTIMPLEMENTED;
    const Score &a = score_of(self), &b = score_of(other);
    if (op == Py_EQ || op == Py_NE) return PyBool_FromLong((a == b) == (op == Py_EQ));
    if (a.turn != b.turn) {
        PyErr_SetString(PyExc_TypeError,
                        "scores of different points of view do not order: compare their white() or pov(color)");
        return nullptr;
    }
    Py_RETURN_RICHCOMPARE(a.order(), b.order(), op);
}

Py_hash_t score_hash(PyObject* self) {
    const auto [rank, value] = score_of(self).pov(true).order();
    const Py_hash_t hash = static_cast<Py_hash_t>(value * 5 + rank);
    return hash == -1 ? -2 : hash;
}

PyObject* score_reduce(PyObject* self, PyObject*) {
    const Score& score = score_of(self);
    if (score.kind == Score::Kind::mate_given) {
        const Owned mated(to_python(score.pov(!score.turn)));
        const Owned pov(mated ? PyObject_GetAttrString(mated.get(), "pov") : nullptr);
        return pov ? Py_BuildValue("O(O)", pov.get(), score.turn ? Py_True : Py_False) : nullptr;
    }
    PyObject* turn = score.turn ? Py_True : Py_False;
    PyObject* value = PyLong_FromLongLong(score.value);
    return score.kind == Score::Kind::centipawns ? Py_BuildValue("O(ONO)", the_score_type, turn, value, Py_None)
                                                 : Py_BuildValue("O(OON)", the_score_type, turn, Py_None, value);
}

PyMethodDef methods[] = {
    {"white", method_pointer(white_method), METH_NOARGS, doc("Score.white")},
    {"black", method_pointer(black_method), METH_NOARGS, doc("Score.black")},
    {"pov", method_pointer(pov_method), METH_O, doc("Score.pov")},
    {"is_mate", method_pointer(is_mate_method), METH_NOARGS, doc("Score.is_mate")},
    {"score", method_pointer(score_method), METH_FASTCALL | METH_KEYWORDS, doc("Score.score")},
    {"mate", method_pointer(mate_method), METH_NOARGS, doc("Score.mate")},
    {"__reduce__", method_pointer(score_reduce), METH_NOARGS, doc("Score.__reduce__")},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef attributes[] = {
    {"turn", get_turn, nullptr, doc("Score.turn"), nullptr},
    {"relative", get_relative, nullptr, doc("Score.relative"), nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot slots[] = {
    {Py_tp_doc, const_cast<char*>(doc("Score"))},
    {Py_tp_new, reinterpret_cast<void*>(score_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc_object<Score>)},
    {Py_tp_repr, reinterpret_cast<void*>(score_repr)},
    {Py_tp_richcompare, reinterpret_cast<void*>(score_richcompare)},
    {Py_tp_hash, reinterpret_cast<void*>(score_hash)},
    {Py_tp_methods, methods},
    {Py_tp_getset, attributes},
    {0, nullptr},
};

PyType_Spec type_spec{"tarvik.Score", sizeof(Object<Score>), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE, slots};

}  // namespace

PyTypeObject* score_type() {
    if (the_score_type == nullptr && (the_score_type = create_type(type_spec, ClassDoc::kept)) != nullptr) {
        the_score_type->tp_vectorcall = score_vectorcall;
    }
    return the_score_type;
}

void forget_score_type() { the_score_type = nullptr; }

bool to_score(PyObject* value, game::Score& out) {
    PyTypeObject* type = score_type();
    if (type == nullptr) return false;
    if (!PyObject_TypeCheck(value, type)) {
        cannot_convert(value, "Score");
        return false;
    }
    out = score_of(value);
    return true;
}

PyObject* to_python(const game::Score& score) { return new_object<Score>(score_type(), score); }

}  // namespace tarvik::module
