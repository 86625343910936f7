// The BookEntry class: one entry of an opening book, read-only. Entries compare
// and hash by their fields, move included.
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
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc_object<BookEntry>)},
    {Py_tp_repr, reinterpret_cast<void*>(entry_repr)},
    {Py_tp_richcompare, reinterpret_cast<void*>(entry_richcompare)},
    {Py_tp_hash, reinterpret_cast<void*>(entry_hash)},
    {Py_tp_getset, attributes},
    {0, nullptr},
};

// No constructor: entries come from a reader.
PyType_Spec type_spec{"builtins.BookEntry", sizeof(Object<BookEntry>), 0,
                      Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE | Py_TPFLAGS_DISALLOW_INSTANTIATION, slots};

}  // namespace

PyTypeObject* book_entry_type() {
    if (the_book_entry_type == nullptr) the_book_entry_type = create_type(type_spec, ClassDoc::kept);
    return the_book_entry_type;
}

void forget_book_entry_type() { the_book_entry_type = nullptr; }

PyObject* to_python(const BookEntry& entry) {
    PyTypeObject* type = book_entry_type();
    if (type == nullptr) return nullptr;
    void* block = PyObject_Malloc(sizeof(Object<BookEntry>));
    if (block == nullptr) return PyErr_NoMemory();
    return emplace_record(PyObject_Init(static_cast<PyObject*>(block), type), BookEntry(entry));
}

}  // namespace tarvik::module
