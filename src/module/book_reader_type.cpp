// The BookReader class and open_book: a Polyglot opening book read into memory
// once, probed for the entries of a board's position (or of a key), closed when
// done. Random choices call the given random.Random (or the random module) exactly
// as python-chess's reader does, so the same state picks the same entry.
#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../book/book_file.hpp"
#include "book_types.hpp"
#include "docstrings.hpp"

namespace tarvik::module {
namespace {

using tarvik::Book;
using tarvik::BookEntry;

// The record of a reader: the book until it is closed, and the path it came from.
struct OpenedBook {
    std::optional<Book> book;
    std::string path;  // in the file system's encoding, for repr
};

PyTypeObject* the_book_reader_type = nullptr;

const Book& open_book_of(const OpenedBook& opened) {
    if (!opened.book) reject("I/O operation on a closed book");
    return *opened.book;
}

// ---------------------------------------------------------------------------
// Arguments

// What to look up: a Board's position (copied, without its stacks) or a key.
struct BookQuery {
    std::optional<std::uint64_t> key;
    Position position;
    std::shared_ptr<const FenOrigin> origin;
};

bool to_book_query(PyObject* value, BookQuery& out) {
    PyTypeObject* board = board_type();
    if (board == nullptr) return false;
    if (PyObject_TypeCheck(value, board)) {
        Object<tarvik::Board>* object = as_object<tarvik::Board>(value);
        Borrow borrow(object->access, Access::shared);
        if (!borrow) return false;
        out.position = object->record.position;
        out.origin = object->record.origin;
        return true;
    }
    if (!PyIndex_Check(value)) {
        cannot_convert(value, "Board");
        return false;
    }
    return to_uint64(value, out.key.emplace());
}

using BookQueryParam = Param<BookQuery, to_book_query>;
using MinimumWeightParam = Defaulted<CountParam, 1LL>;

// Every probe takes the board or key by position, the rest by keyword only.

std::vector<BookEntry> probe(const OpenedBook& opened, const BookQuery& query, long long minimum_weight,
                             std::vector<Move> excluded) {
    const Book& book = open_book_of(opened);
    const tarvik::BookFilter filter{minimum_weight, std::move(excluded)};
    if (query.key) return entries_for_key(book, *query.key, filter);
    return entries_for_position(book, query.position, query.origin->castling_field, filter);
}

// ---------------------------------------------------------------------------
// Results that finish in Python: raising IndexError for no entry, returning a
// default, calling randint.

void raise_no_entry() { PyErr_SetString(PyExc_IndexError, "the book has no entry for this position"); }

struct FoundEntry {
    std::optional<BookEntry> entry;
};

PyObject* to_python(FoundEntry&& found) {
    if (!found.entry) {
        raise_no_entry();
        return nullptr;
    }
    return module::to_python(*found.entry);
}

struct EntryOrDefault {
    std::optional<BookEntry> entry;
    PyObject* fallback = nullptr;  // borrowed from the call's arguments; nullptr for None
};

PyObject* to_python(EntryOrDefault&& found) {
    if (found.entry) return module::to_python(*found.entry);
    return Py_NewRef(found.fallback ? found.fallback : Py_None);
}

// randint of the given object, or of the random module when it is None.
PyObject* randint_of(PyObject* random) {
    if (random == nullptr || random == Py_None) {
        const Owned module(PyImport_ImportModule("random"));
        return module ? PyObject_GetAttrString(module.get(), "randint") : nullptr;
    }
    return PyObject_GetAttrString(random, "randint");
}

PyObject* call_randint(PyObject* randint, long long high) {
    PyObject* low_object = PyLong_FromLong(0);
    PyObject* high_object = PyLong_FromLongLong(high);
    PyObject* result = nullptr;
    if (low_object && high_object) {
        PyObject* arguments[] = {low_object, high_object};
        result = PyObject_Vectorcall(randint, arguments, 2, nullptr);
    }
    Py_XDECREF(low_object);
    Py_XDECREF(high_object);
    return result;
}

struct RandomChoice {
    std::vector<BookEntry> entries;
    PyObject* random = nullptr;  // borrowed from the call's arguments
    bool weighted = false;
};

// Uniform: entry i replaces the choice when randint(0, i) == i, for i = 1, 2, ...
PyObject* uniform_choice(const RandomChoice& choice, PyObject* randint) {
    std::size_t chosen = 0;
    for (std::size_t i = 1; i < choice.entries.size(); ++i) {
        const Owned index(PyLong_FromSize_t(i));
        const Owned drawn(index ? call_randint(randint, static_cast<long long>(i)) : nullptr);
        if (!drawn) return nullptr;
        const int equal = PyObject_RichCompareBool(drawn.get(), index.get(), Py_EQ);
        if (equal < 0) return nullptr;
        if (equal) chosen = i;
    }
    return module::to_python(choice.entries[chosen]);
}

// Weighted: one draw in 0..total-1, then the first entry whose running sum of
// weights exceeds it.
PyObject* weighted_choice(const RandomChoice& choice, PyObject* randint) {
    long long total = 0;
    for (const BookEntry& entry : choice.entries) total += entry.weight;
    const Owned drawn(call_randint(randint, total - 1));
    if (!drawn) return nullptr;
    const long long value = PyLong_AsLongLong(drawn.get());
    if (value == -1 && PyErr_Occurred()) return nullptr;
    long long sum = 0;
    for (const BookEntry& entry : choice.entries) {
        sum += entry.weight;
        if (sum > value) return module::to_python(entry);
    }
    PyErr_Format(PyExc_ValueError, "randint(0, %lld) returned %lld, which is out of that range", total - 1, value);
    return nullptr;
}

PyObject* to_python(RandomChoice&& choice) {
    // Entries of weight 0 pass only with minimum_weight 0, and only a uniform choice
    // allows that; a weighted choice among them is a choice among nothing.
    if (choice.entries.empty()) {
        raise_no_entry();
        return nullptr;
    }
    const Owned randint(randint_of(choice.random));
    if (!randint) return nullptr;
    return choice.weighted ? weighted_choice(choice, randint.get()) : uniform_choice(choice, randint.get());
}

// ---------------------------------------------------------------------------
// Methods

using Arguments = PyObject* const*;

template <Access kind, class... Params, class Body>
PyObject* reader_call(PyObject* self, const Signature& signature, Arguments args, Py_ssize_t nargs,
                      PyObject* kwnames, Body&& body) {
    return call_method<OpenedBook, kind, Params...>(self, signature, args, nargs, kwnames, std::forward<Body>(body));
}

template <Access kind, class Body>
PyObject* reader_call(PyObject* self, Body&& body) {
    static constexpr Signature no_arguments{"", {}, 0};
    return call_method<OpenedBook, kind>(self, no_arguments, nullptr, 0, nullptr, std::forward<Body>(body));
}

PyObject* find_all_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"board", "minimum_weight", "exclude_moves"};
    static constexpr Signature signature{"BookReader.find_all", parameters, 1, 2};
    return reader_call<Access::shared, BookQueryParam, MinimumWeightParam, MovesParam>(
        self, signature, args, nargs, kwnames,
        [](const OpenedBook& opened, const BookQuery& query, long long minimum_weight, std::vector<Move> excluded) {
            return probe(opened, query, minimum_weight, std::move(excluded));
        });
}

PyObject* find_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"board", "minimum_weight", "exclude_moves"};
    static constexpr Signature signature{"BookReader.find", parameters, 1, 2};
    return reader_call<Access::shared, BookQueryParam, MinimumWeightParam, MovesParam>(
        self, signature, args, nargs, kwnames,
        [](const OpenedBook& opened, const BookQuery& query, long long minimum_weight, std::vector<Move> excluded) {
            return FoundEntry{heaviest(probe(opened, query, minimum_weight, std::move(excluded)))};
        });
}

PyObject* get_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"board", "default", "minimum_weight", "exclude_moves"};
    static constexpr Signature signature{"BookReader.get", parameters, 1, 2};
    return reader_call<Access::shared, BookQueryParam, AnyParam, MinimumWeightParam, MovesParam>(
        self, signature, args, nargs, kwnames,
        [](const OpenedBook& opened, const BookQuery& query, PyObject* fallback, long long minimum_weight,
           std::vector<Move> excluded) {
            return EntryOrDefault{heaviest(probe(opened, query, minimum_weight, std::move(excluded))), fallback};
        });
}

PyObject* choice_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"board", "minimum_weight", "exclude_moves", "random"};
    static constexpr Signature signature{"BookReader.choice", parameters, 1, 3};
    return reader_call<Access::shared, BookQueryParam, MinimumWeightParam, MovesParam, AnyParam>(
        self, signature, args, nargs, kwnames,
        [](const OpenedBook& opened, const BookQuery& query, long long minimum_weight, std::vector<Move> excluded,
           PyObject* random) {
            return RandomChoice{probe(opened, query, minimum_weight, std::move(excluded)), random, false};
        });
}

PyObject* weighted_choice_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"board", "exclude_moves", "random"};
    static constexpr Signature signature{"BookReader.weighted_choice", parameters, 1, 2};
    return reader_call<Access::shared, BookQueryParam, MovesParam, AnyParam>(
        self, signature, args, nargs, kwnames,
        [](const OpenedBook& opened, const BookQuery& query, std::vector<Move> excluded, PyObject* random) {
            return RandomChoice{probe(opened, query, 1, std::move(excluded)), random, true};
        });
}

PyObject* close_method(PyObject* self, PyObject*) {
    return reader_call<Access::exclusive>(self, [](OpenedBook& opened) { opened.book.reset(); });
}

PyObject* enter_method(PyObject* self, PyObject*) {
    PyObject* checked = reader_call<Access::shared>(self, [](OpenedBook& opened) { open_book_of(opened); });
    if (checked == nullptr) return nullptr;
    Py_DECREF(checked);
    return Py_NewRef(self);
}

PyObject* exit_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"exc_type", "exc_value", "traceback"};
    static constexpr Signature signature{"BookReader.__exit__", parameters, 3};
    // Closes the book and lets any exception go on.
    return reader_call<Access::exclusive, AnyParam, AnyParam, AnyParam>(
        self, signature, args, nargs, kwnames,
        [](OpenedBook& opened, PyObject*, PyObject*, PyObject*) { opened.book.reset(); });
}

Py_ssize_t length(PyObject* self) {
    Object<OpenedBook>* object = as_object<OpenedBook>(self);
    Borrow borrow(object->access, Access::shared);
    if (!borrow) return -1;
    std::size_t size = 0;
    if (!run_engine([&] { size = open_book_of(object->record).size(); })) return -1;
    return static_cast<Py_ssize_t>(size);
}

// reader[i], with negative i counted from the end by the interpreter.
PyObject* item(PyObject* self, Py_ssize_t index) {
    std::optional<BookEntry> entry;
    {
        Object<OpenedBook>* object = as_object<OpenedBook>(self);
        Borrow borrow(object->access, Access::shared);
        if (!borrow) return nullptr;
        const bool done = run_engine([&] {
            const Book& book = open_book_of(object->record);
            if (index >= 0 && static_cast<std::size_t>(index) < book.size()) entry = book.entry(static_cast<std::size_t>(index));
        });
        if (!done) return nullptr;
    }
    if (!entry) {
        PyErr_SetString(PyExc_IndexError, "book index out of range");
        return nullptr;
    }
    return module::to_python(*entry);
}

PyObject* reader_repr(PyObject* self) {
    return get_attribute<OpenedBook>(self, [](const OpenedBook& opened) -> PyObject* {
        const Owned path(PyUnicode_DecodeFSDefaultAndSize(opened.path.data(), static_cast<Py_ssize_t>(opened.path.size())));
        if (!path) return nullptr;
        if (!opened.book) return PyUnicode_FromFormat("<BookReader %R, closed>", path.get());
        return PyUnicode_FromFormat("<BookReader %R, %zu entries>", path.get(), opened.book->size());
    });
}

const PyMethodDef methods[] = {
    {"find_all", method_pointer(find_all_method), METH_FASTCALL | METH_KEYWORDS, doc("BookReader.find_all")},
    {"find", method_pointer(find_method), METH_FASTCALL | METH_KEYWORDS, doc("BookReader.find")},
    {"get", method_pointer(get_method), METH_FASTCALL | METH_KEYWORDS, doc("BookReader.get")},
    {"choice", method_pointer(choice_method), METH_FASTCALL | METH_KEYWORDS, doc("BookReader.choice")},
    {"weighted_choice", method_pointer(weighted_choice_method), METH_FASTCALL | METH_KEYWORDS,
     doc("BookReader.weighted_choice")},
    {"close", method_pointer(close_method), METH_NOARGS, doc("BookReader.close")},
    {"__enter__", method_pointer(enter_method), METH_NOARGS, doc("BookReader.__enter__")},
    {"__exit__", method_pointer(exit_method), METH_FASTCALL | METH_KEYWORDS, doc("BookReader.__exit__")},
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot slots[] = {
    {Py_tp_doc, const_cast<char*>(doc("BookReader"))},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc_object<OpenedBook>)},
    {Py_tp_repr, reinterpret_cast<void*>(reader_repr)},
    {Py_tp_methods, const_cast<PyMethodDef*>(methods)},
    {Py_sq_length, reinterpret_cast<void*>(length)},
    {Py_sq_item, reinterpret_cast<void*>(item)},
    {Py_tp_iter, reinterpret_cast<void*>(PySeqIter_New)},
    {0, nullptr},
};

// No constructor: readers come from open_book.
PyType_Spec type_spec{"tarvik.BookReader", sizeof(Object<OpenedBook>), 0,
                      Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE | Py_TPFLAGS_DISALLOW_INSTANTIATION, slots};

PyObject* to_python(OpenedBook&& opened) { return new_object<OpenedBook>(book_reader_type(), std::move(opened)); }

}  // namespace

PyTypeObject* book_reader_type() {
    if (the_book_reader_type == nullptr) the_book_reader_type = create_type(type_spec, ClassDoc::kept);
    return the_book_reader_type;
}

void forget_book_reader_type() { the_book_reader_type = nullptr; }

// ---------------------------------------------------------------------------
// open_book(path)

PyObject* open_book(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"path"};
    static constexpr Signature signature{"open_book", parameters, 1};
    PyObject* path = nullptr;
    if (!bind_arguments(signature, args, nargs, kwnames, &path)) return nullptr;
    PyObject* encoded = nullptr;  // bytes in the file system's encoding
    if (!PyUnicode_FSConverter(path, &encoded)) {
        name_argument_error("path");
        return nullptr;
    }
    const Owned owned_encoded(encoded);
    OpenedBook opened;
    opened.path.assign(PyBytes_AS_STRING(encoded), static_cast<std::size_t>(PyBytes_GET_SIZE(encoded)));
    tarvik::FileContents contents;
    if (!run_engine([&] { contents = tarvik::read_file(opened.path); })) return nullptr;
    if (contents.error != 0) {
        errno = contents.error;
        return PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, path);
    }
    const bool parsed = run_engine([&] { opened.book.emplace(std::move(contents.bytes), opened.path); });
    return parsed ? to_python(std::move(opened)) : nullptr;
}

}  // namespace tarvik::module
