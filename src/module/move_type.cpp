// The Move class: one move record, readable and writable attribute by attribute,
// printed as UCI text. Moves compare and hash by identity.
#include "docstrings.hpp"
#include "types.hpp"

namespace tarvik::module {
namespace {

PyTypeObject* the_move_type = nullptr;

// Memory of freed Move objects, kept for the next ones: move lists create and drop
// them by the dozen, and reuse skips the allocator both ways.
class FreeMoves {
public:
    void* take() { return count_ > 0 ? blocks_[--count_] : nullptr; }
    bool keep(void* block) {
        if (count_ == CAPACITY) return false;
        blocks_[count_++] = block;
        return true;
    }
    // The blocks belonged to a runtime that has finalized: they are not ours to reuse or free.
    void forget() { count_ = 0; }

private:
    static constexpr std::size_t CAPACITY = 512;
    void* blocks_[CAPACITY];
    std::size_t count_ = 0;
};

FreeMoves free_moves;

// The type's allocator, for the constructor and for moves the engine returns alike.
// Every block has the type's size and comes from the object allocator. The caller
// constructs the record and its flag right away, so no zero-filling is needed.
PyObject* move_alloc(PyTypeObject* type, Py_ssize_t) {
    void* block = free_moves.take();
    if (block == nullptr && (block = PyObject_Malloc(sizeof(Object<Move>))) == nullptr) return PyErr_NoMemory();
    return PyObject_Init(static_cast<PyObject*>(block), type);
}

void move_free(void* block) {
    if (!free_moves.keep(block)) PyObject_Free(block);
}

// The class cannot be subclassed, so the new object is always a plain Move.
PyObject* move_vectorcall(PyObject*, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"from_square", "to_square", "promotion"};
    static constexpr Signature signature{"Move.__new__", parameters, 2};
    return call_function<Uint32Param, Uint32Param, OptionalCharParam>(
        signature, args, PyVectorcall_NARGS(nargsf), kwnames,
        [](std::uint32_t from, std::uint32_t to, std::optional<char32_t> promotion) {
            return Move{from, to, promotion};
        });
}

PyObject* from_uci_method(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"uci"};
    static constexpr Signature signature{"Move.from_uci", parameters, 1};
    return call_function<TextParam>(signature, args, nargs, kwnames, [](const std::string& text) {
        const std::optional<Move> move = parse_uci(text);
        if (!move) reject("invalid uci: '" + text + "'");
        return *move;
    });
}

PyObject* promotion_object(const Move& move) {
    return move.promotion ? PyUnicode_FromOrdinal(static_cast<int>(*move.promotion)) : Py_NewRef(Py_None);
}

PyObject* reduce_method(PyObject* self, PyObject*) {
    return get_attribute<Move>(self, [](const Move& move) -> PyObject* {
        PyObject* arguments = Py_BuildValue("(kkN)", static_cast<unsigned long>(move.from_square),
                                            static_cast<unsigned long>(move.to_square), promotion_object(move));
        PyObject* reduced = arguments ? reduce_to_call("Move", arguments, nullptr) : nullptr;
        Py_XDECREF(arguments);
        return reduced;
    });
}

PyObject* uci_text(PyObject* self) {
    return get_attribute<Move>(self, [](const Move& move) {
        const std::string text = uci(move);
        return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
    });
}

PyObject* uci_method(PyObject* self, PyObject*) { return uci_text(self); }

PyObject* get_from_square(PyObject* self, void*) {
    return get_attribute<Move>(self, [](const Move& move) { return PyLong_FromUnsignedLong(move.from_square); });
}

PyObject* get_to_square(PyObject* self, void*) {
    return get_attribute<Move>(self, [](const Move& move) { return PyLong_FromUnsignedLong(move.to_square); });
}

PyObject* get_promotion(PyObject* self, void*) {
    return get_attribute<Move>(self, promotion_object);
}

int set_from_square(PyObject* self, PyObject* value, void*) {
    return set_attribute<Move, Uint32Param>(self, value, "from_square",
                                              [](Move& move, std::uint32_t square) { move.from_square = square; });
}

int set_to_square(PyObject* self, PyObject* value, void*) {
    return set_attribute<Move, Uint32Param>(self, value, "to_square",
                                              [](Move& move, std::uint32_t square) { move.to_square = square; });
}

int set_promotion(PyObject* self, PyObject* value, void*) {
    return set_attribute<Move, OptionalCharParam>(
        self, value, "promotion", [](Move& move, std::optional<char32_t> letter) { move.promotion = letter; });
}

PyMethodDef methods[] = {
    {"uci", method_pointer(uci_method), METH_NOARGS, doc("Move.uci")},
    {"from_uci", method_pointer(from_uci_method), METH_FASTCALL | METH_KEYWORDS | METH_CLASS, doc("Move.from_uci")},
    {"__reduce__", method_pointer(reduce_method), METH_NOARGS, doc("Move.__reduce__")},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef attributes[] = {
    {"to_square", get_to_square, set_to_square, doc("Move.to_square"), nullptr},
    {"from_square", get_from_square, set_from_square, doc("Move.from_square"), nullptr},
    {"promotion", get_promotion, set_promotion, doc("Move.promotion"), nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyObject* move_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) { return new_from_tuple(type, args, kwargs); }

PyType_Slot slots[] = {
    {Py_tp_doc, const_cast<char*>(doc("Move"))},
    {Py_tp_new, reinterpret_cast<void*>(move_new)},
    {Py_tp_alloc, reinterpret_cast<void*>(move_alloc)},
    {Py_tp_free, reinterpret_cast<void*>(move_free)},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc_object<Move>)},
    {Py_tp_str, reinterpret_cast<void*>(uci_text)},
    {Py_tp_repr, reinterpret_cast<void*>(uci_text)},
    {Py_tp_methods, methods},
    {Py_tp_getset, attributes},
    {0, nullptr},
};

PyType_Spec type_spec{"builtins.Move", sizeof(Object<Move>), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE, slots};

}  // namespace

PyTypeObject* move_type() {
    if (the_move_type == nullptr && (the_move_type = create_type(type_spec)) != nullptr) {
        the_move_type->tp_vectorcall = move_vectorcall;
    }
    return the_move_type;
}

void forget_move_type() {
    the_move_type = nullptr;
    free_moves.forget();
}

bool to_move(PyObject* value, Move& out) { return copy_record(value, move_type(), "Move", out); }

bool to_moves(PyObject* value, std::vector<Move>& out) {
    PyObject* iterator = PyObject_GetIter(value);
    if (iterator == nullptr) return false;
    bool ok = true;
    PyObject* item;
    while (ok && (item = PyIter_Next(iterator)) != nullptr) {
        Move move;
        ok = to_move(item, move) && run_engine([&] { out.push_back(move); });
        Py_DECREF(item);
    }
    Py_DECREF(iterator);
    return ok && !PyErr_Occurred();
}

PyObject* to_python(const Move& move) { return new_object<Move>(move_type(), move); }

}  // namespace tarvik::module
