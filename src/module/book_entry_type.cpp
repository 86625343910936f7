// The BookEntry class: one entry of an opening book, read-only. Entries compare
// and hash by their fields, move included, and are made and pickled as
// python-chess's Entry tuples are: from the five fields.
#include <limits>

#include "book_types.hpp"
#include "docstrings.hpp"

namespace tarvik::module {
namespace {

using tarvik::BookEntry;

PyTypeObject* the_book_entry_type = nullptr;

template <auto field>
PyObject* get_number(PyObject* self, void*) {
    return get_attribute<BookEntry>(self, [](const BookEntry& entry) {
        return PyLong_FromUnsignedLongLong(entry.*field);
    });
}

PyObject* get_move(PyObject* self, void*) {
    return get_attribute<BookEntry>(self, [](const BookEntry& entry) { return to_python(entry.move); });
}

PyObject* entry_repr(PyObject* self) {
    return get_attribute<BookEntry>(self, [](const BookEntry& entry) {
        const std::string move = uci(entry.move);
        return PyUnicode_FromFormat("BookEntry(key=%llu, raw_move=%u, weight=%u, learn=%lu, move=%s)",
                                    static_cast<unsigned long long>(entry.key), unsigned{entry.raw_move},
                                    unsigned{entry.weight}, static_cast<unsigned long>(entry.learn), move.c_str());
    });
}

PyObject* entry_richcompare(PyObject* self, PyObject* other, int op) {
    if ((op != Py_EQ && op != Py_NE) || !PyObject_TypeCheck(other, the_book_entry_type)) Py_RETURN_NOTIMPLEMENTED;
    // Entries never change, so they are read without taking access.
    const bool equal = as_object<BookEntry>(self)->record == as_object<BookEntry>(other)->record;
    return PyBool_FromLong(equal == (op == Py_EQ));
}

Py_hash_t entry_hash(PyObject* self) {
    // The move follows from the raw move (and the board it was read for), so the
    // stored fields spread equal entries alike.
    const BookEntry& entry = as_object<BookEntry>(self)->record;
    std::uint64_t hash = entry.key ^ (std::uint64_t{entry.raw_move} << 48 | std::uint64_t{entry.weight} << 32 | entry.learn);
    hash ^= hash >> 29;
    const auto result = static_cast<Py_hash_t>(hash);
    return result == -1 ? -2 : result;
}

// A field of `Width` bits: an int from 0 to its largest value, else OverflowError.
template <class Width>
bool to_field(PyObject* value, Width& out) {
    std::uint64_t wide = 0;
    if (!to_uint64(value, wide)) return false;
    if (wide > std::numeric_limits<Width>::max()) {
        PyErr_Format(PyExc_OverflowError, "%R does not fit in %d bits", value, int(8 * sizeof(Width)));
        return false;
    }
    out = Width(wide);
    return true;
}

PyObject* entry_vectorcall(PyObject*, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"key", "raw_move", "weight", "learn", "move"};
    static constexpr Signature signature{"BookEntry.__new__", parameters, 5};
    return call_function<Param<std::uint64_t, to_field<std::uint64_t>>, Param<std::uint16_t, to_field<std::uint16_t>>,
                         Param<std::uint16_t, to_field<std::uint16_t>>, Param<std::uint32_t, to_field<std::uint32_t>>,
                         MoveParam>(
        signature, args, PyVectorcall_NARGS(nargsf), kwnames,
        [](std::uint64_t key, std::uint16_t raw_move, std::uint16_t weight, std::uint32_t learn, const Move& move) {
            BookEntry entry;
            entry.key = key, entry.raw_move = raw_move, entry.weight = weight, entry.learn = learn, entry.move = move;
            return entry;
        });
}

PyObject* entry_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) { return new_from_tuple(type, args, kwargs); }

PyObject* entry_reduce(PyObject* self, PyObject*) {
    const BookEntry& entry = as_object<BookEntry>(self)->record;
    return Py_BuildValue("O(KIIkN)", Py_TYPE(self), static_cast<unsigned long long>(entry.key), unsigned{entry.raw_move},
                         unsigned{entry.weight}, static_cast<unsigned long>(entry.learn), to_python(entry.move));
}

PyMethodDef methods[] = {
    {"__reduce__", method_pointer(entry_reduce), METH_NOARGS, doc("BookEntry.__reduce__")},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef attributes[] = {
    {"key", get_number<&BookEntry::key>, nullptr, doc("BookEntry.key"), nullptr},
    {"raw_move", get_number<&BookEntry::raw_move>, nullptr, doc("BookEntry.raw_move"), nullptr},
    {"weight", get_number<&BookEntry::weight>, nullptr, doc("BookEntry.weight"), nullptr},
    {"learn", get_number<&BookEntry::learn>, nullptr, doc("BookEntry.learn"), nullptr},
    {"move", get_move, nullptr, doc("BookEntry.move"), nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot slots[] = {
    {Py_tp_doc, const_cast<char*>(doc("BookEntry"))},
    {Py_tp_new, reinterpret_cast<void*>(entry_new)},
    {Py_tp_methods, methods},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc_object<BookEntry>)},
    {Py_tp_repr, reinterpret_cast<void*>(entry_repr)},
    {Py_tp_richcompare, reinterpret_cast<void*>(entry_richcompare)},
    {Py_tp_hash, reinterpret_cast<void*>(entry_hash)},
    {Py_tp_getset, attributes},
    {0, nullptr},
};

PyType_Spec type_spec{"tarvik.BookEntry", sizeof(Object<BookEntry>), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE,
                      slots};

}  // namespace

PyTypeObject* book_entry_type() {
    if (the_book_entry_type == nullptr && (the_book_entry_type = create_type(type_spec, ClassDoc::kept)) != nullptr) {
        the_book_entry_type->tp_vectorcall = entry_vectorcall;
    }
    return the_book_entry_type;
}

void forget_book_entry_type() { the_book_entry_type = nullptr; }

PyObject* to_python(const BookEntry& entry) { return new_object<BookEntry>(book_entry_type(), entry); }

}  // namespace tarvik::module
