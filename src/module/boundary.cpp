#include "boundary.hpp"

#include <algorithm>

#include <vector>

namespace tarvik::module {

// ---------------------------------------------------------------------------
// Access to objects

bool AccessFlag::try_share() {
    std::uintptr_t current = word_.load(std::memory_order_relaxed);
    do {
        if (current >= EXCLUSIVE - 1) return false;  // held exclusively, or no count left
    } while (!word_.compare_exchange_weak(current, current + 1, std::memory_order_acquire, std::memory_order_relaxed));
    return true;
}

bool AccessFlag::try_exclusive() {
    std::uintptr_t expected = 0;
    return word_.compare_exchange_strong(expected, EXCLUSIVE, std::memory_order_acquire, std::memory_order_relaxed);
}

Borrow::Borrow(AccessFlag& flag, Access kind) : flag_(flag), kind_(kind) {
    held_ = kind == Access::shared ? flag.try_share() : flag.try_exclusive();
    if (!held_) {
        PyErr_SetString(PyExc_RuntimeError, kind == Access::shared ? "Already mutably borrowed" : "Already borrowed");
    }
}

Borrow::~Borrow() {
    if (!held_) return;
    if (kind_ == Access::shared) {
        flag_.end_share();
    } else {
        flag_.end_exclusive();
    }
}

// ---------------------------------------------------------------------------
// Failures

namespace {

constexpr const char* PANIC_DOC =
    "The exception raised when the extension's native code panics, that is, fails an\n"
    "internal check.\n"
    "\n"
    "Like SystemExit, it derives from BaseException, so that it typically propagates\n"
    "all the way through the stack and makes the interpreter exit.\n";

// Created once per runtime, on first need, and kept for its lifetime.
PyObject* the_panic_type = nullptr;

PyObject* panic_exception_type() {
    if (the_panic_type == nullptr) {
        the_panic_type =
            PyErr_NewExceptionWithDoc("pyo3_runtime.PanicException", PANIC_DOC, PyExc_BaseException, nullptr);
    }
    return the_panic_type;
}

}  // namespace

void forget_panic_type() { the_panic_type = nullptr; }

namespace {

void raise_with_message(PyObject* type, std::string_view message) {
    PyObject* text = PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "replace");
    if (text == nullptr) return;
    PyErr_SetObject(type, text);
    Py_DECREF(text);
}

}  // namespace

void raise_panic(std::string_view message) {
    if (PyObject* type = panic_exception_type()) raise_with_message(type, message);
}

void raise_value_error(std::string_view message) { raise_with_message(PyExc_ValueError, message); }

PythonReadFailure::PythonReadFailure(PyObject* exception)
    : SourceFailure(Kind::caller, "read() raised " + type_name(exception)), exception_(exception, [](PyObject* held) {
          HeldGil gil;
          Py_DECREF(held);
      }) {}

void raise_source_failure(const corpus::SourceFailure& failure) {
    using Kind = corpus::SourceFailure::Kind;
    if (const auto* read = dynamic_cast<const PythonReadFailure*>(&failure)) {
        PyErr_SetRaisedException(Py_NewRef(read->exception()));
    } else if (failure.kind == Kind::truncated) {
        raise_with_message(PyExc_EOFError, failure.what());
    } else if (failure.kind == Kind::io && failure.error_number != 0) {
        // OSError(errno, message) becomes the errno's subclass, as for any failed call.
        const std::string_view message = failure.what();
        PyObject* arguments = Py_BuildValue("(iN)", failure.error_number,
                                            PyUnicode_DecodeUTF8(message.data(), Py_ssize_t(message.size()), "replace"));
        if (arguments == nullptr) return;
        PyErr_SetObject(PyExc_OSError, arguments);
        Py_DECREF(arguments);
    } else {
        raise_with_message(PyExc_OSError, failure.what());
    }
}

// ---------------------------------------------------------------------------
// Arguments

namespace {

// 'a', 'a' and 'b', or 'a', 'b', and 'c'.
std::string quoted_list(const std::vector<const char*>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            if (names.size() > 2) text += ',';
            text += i + 1 == names.size() ? " and " : " ";
        }
        text += '\'';
        text += names[i];
        text += '\'';
    }
    return text;
}

void too_many_positional(const Signature& signature, Py_ssize_t given) {
    const std::size_t count = signature.positional();
    const char* verb = given == 1 ? "was" : "were";
    if (signature.required == count) {
        PyErr_Format(PyExc_TypeError, "%s() takes %zu positional arguments but %zd %s given",
                     signature.qualified_name, count, given, verb);
    } else {
        PyErr_Format(PyExc_TypeError, "%s() takes from %zu to %zu positional arguments but %zd %s given",
                     signature.qualified_name, signature.required, count, given, verb);
    }
}

}  // namespace

bool bind_arguments(const Signature& signature, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                    PyObject** bound) {
    const std::size_t count = signature.parameters.size();
    const auto given = static_cast<std::size_t>(nargs);
    if (kwnames == nullptr && given >= signature.required && given <= signature.positional()) {
        // The usual call, every argument by position: nothing can be wrong with it.
        std::fill(std::copy_n(args, given, bound), bound + count, nullptr);
        return true;
    }
    if (given > signature.positional()) {
        too_many_positional(signature, nargs);
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) bound[i] = i < static_cast<std::size_t>(nargs) ? args[i] : nullptr;

    const Py_ssize_t keywords = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
    for (Py_ssize_t k = 0; k < keywords; ++k) {
        PyObject* keyword = PyTuple_GET_ITEM(kwnames, k);
        std::size_t i = 0;
        while (i < count && PyUnicode_EqualToUTF8(keyword, signature.parameters[i]) != 1) ++i;
        if (i == count) {
            PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%S'", signature.qualified_name,
                         keyword);
            return false;
        }
        if (bound[i] != nullptr) {
            PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%s'", signature.qualified_name,
                         signature.parameters[i]);
            return false;
        }
        bound[i] = args[nargs + k];
    }

    std::vector<const char*> missing;
    for (std::size_t i = 0; i < signature.required; ++i) {
        if (bound[i] == nullptr) missing.push_back(signature.parameters[i]);
    }
    if (!missing.empty()) {
        PyErr_Format(PyExc_TypeError, "%s() missing %zu required positional argument%s: %s", signature.qualified_name,
                     missing.size(), missing.size() == 1 ? "" : "s", quoted_list(missing).c_str());
        return false;
    }
    return true;
}

void name_argument_error(const char* name) {
    PyObject* original = PyErr_GetRaisedException();
    if (original == nullptr || !Py_IS_TYPE(original, reinterpret_cast<PyTypeObject*>(PyExc_TypeError))) {
        PyErr_SetRaisedException(original);
        return;
    }
    PyObject* message = PyUnicode_FromFormat("argument '%s': %S", name, original);
    PyObject* renamed = message ? PyObject_CallOneArg(PyExc_TypeError, message) : nullptr;
    Py_XDECREF(message);
    if (renamed == nullptr) {
        Py_DECREF(original);
        return;
    }
    PyException_SetCause(renamed, original);  // steals `original`
    PyErr_SetRaisedException(renamed);
}

std::string type_name(PyObject* value) {
    PyObject* name = PyType_GetQualName(Py_TYPE(value));
    const char* text = name ? PyUnicode_AsUTF8(name) : nullptr;
    std::string result = text ? text : "?";
    Py_XDECREF(name);
    PyErr_Clear();
    return result;
}

void cannot_convert(PyObject* value, const char* target) {
    PyErr_Format(PyExc_TypeError, "'%s' object cannot be converted to '%s'", type_name(value).c_str(), target);
}

bool to_text(PyObject* value, std::string& out) {
    if (!PyUnicode_Check(value)) {
        cannot_convert(value, "PyString");
        return false;
    }
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(value, &size);  // a lone surrogate raises UnicodeEncodeError
    if (data == nullptr) return false;
    out.assign(data, static_cast<std::size_t>(size));
    return true;
}

bool to_char(PyObject* value, char32_t& out) {
    if (!PyUnicode_Check(value)) {
        cannot_convert(value, "PyString");
        return false;
    }
    // The text is read as UTF-8 first, so a lone surrogate fails whatever the length.
    if (PyUnicode_AsUTF8AndSize(value, nullptr) == nullptr) return false;
    if (PyUnicode_GET_LENGTH(value) != 1) {
        PyErr_SetString(PyExc_ValueError, "expected a string of length 1");
        return false;
    }
    out = PyUnicode_READ_CHAR(value, 0);
    return true;
}

namespace {

void out_of_range() { PyErr_SetString(PyExc_OverflowError, "out of range integral type conversion attempted"); }

// Reads an int or an object with __index__ through `read`, which raises the
// interpreter's own errors.
template <class Read>
bool read_index(PyObject* value, Read&& read) {
    if (PyLong_CheckExact(value)) return read(value);  // an int is its own index
    PyObject* index = PyNumber_Index(value);
    if (index == nullptr) return false;
    const bool ok = read(index);
    Py_DECREF(index);
    return ok;
}

}  // namespace

PyObject* allocate_object(PyTypeObject* type) {
    if (type->tp_alloc != PyType_GenericAlloc || PyType_IS_GC(type)) return type->tp_alloc(type, 0);
    void* block = PyObject_Malloc(std::size_t(type->tp_basicsize));
    return block ? PyObject_Init(static_cast<PyObject*>(block), type) : PyErr_NoMemory();
}

bool to_uint64(PyObject* value, std::uint64_t& out) {
    return read_index(value, [&](PyObject* index) {
        const unsigned long long v = PyLong_AsUnsignedLongLong(index);
        if (v == static_cast<unsigned long long>(-1) && PyErr_Occurred()) return false;
        out = v;
        return true;
    });
}

bool to_uint32(PyObject* value, std::uint32_t& out) {
    return read_index(value, [&](PyObject* index) {
        const long v = PyLong_AsLong(index);
        if (v == -1 && PyErr_Occurred()) return false;
        if (v < 0 || v > static_cast<long>(UINT32_MAX)) {
            out_of_range();
            return false;
        }
        out = static_cast<std::uint32_t>(v);
        return true;
    });
}

bool to_uint8(PyObject* value, std::uint8_t& out) {
    return read_index(value, [&](PyObject* index) {
        const int v = PyLong_AsInt(index);  // beyond the C int range: the interpreter's OverflowError
        if (v == -1 && PyErr_Occurred()) return false;
        if (v < 0 || v > 255) {
            out_of_range();
            return false;
        }
        out = static_cast<std::uint8_t>(v);
        return true;
    });
}

bool to_square(PyObject* value, std::uint8_t& out) {
    return read_index(value, [&](PyObject* index) {
        int overflow = 0;
        const long long v = PyLong_AsLongLongAndOverflow(index, &overflow);
        if (v == -1 && !overflow && PyErr_Occurred()) return false;
        if (overflow || v < 0 || v > 63) {
            PyErr_Format(PyExc_ValueError, "square %R is off the board: squares are 0 to 63", index);
            return false;
        }
        out = static_cast<std::uint8_t>(v);
        return true;
    });
}

bool to_bytes(PyObject* value, std::string& out) {
    if (!PyBytes_Check(value)) {
        cannot_convert(value, "PyBytes");
        return false;
    }
    out.assign(PyBytes_AS_STRING(value), static_cast<std::size_t>(PyBytes_GET_SIZE(value)));
    return true;
}

bool to_thread_count(PyObject* value, std::uint32_t& out) {
    constexpr long long MOST = 1024;  // more would be a mistake, not a machine
    long long count = 0;
    if (!to_count(value, count)) return false;
    if (count > 0 && count <= MOST) {
        out = std::uint32_t(count);
        return true;
    }
    PyErr_Format(PyExc_ValueError, "threads must be from 1 to %lld, or None for every core, not %lld", MOST, count);
    return false;
}

bool to_count(PyObject* value, long long& out) {
    return read_index(value, [&](PyObject* index) {
        out = PyLong_AsLongLong(index);  // beyond 64 bits: the interpreter's OverflowError
        return !(out == -1 && PyErr_Occurred());
    });
}

bool to_any(PyObject* value, PyObject*& out) {
    out = value;
    return true;
}

namespace {

// numpy's boolean scalar, without importing numpy: a type named bool_ (or bool,
// since numpy 2) from the module numpy.
bool is_numpy_bool(PyObject* value) {
    PyTypeObject* type = Py_TYPE(value);
    PyObject* module = PyType_GetModuleName(type);
    PyObject* name = PyType_GetName(type);
    const bool matches = module && name && PyUnicode_EqualToUTF8(module, "numpy") == 1 &&
                         (PyUnicode_EqualToUTF8(name, "bool_") == 1 || PyUnicode_EqualToUTF8(name, "bool") == 1);
    Py_XDECREF(module);
    Py_XDECREF(name);
    PyErr_Clear();
    return matches;
}

}  // namespace

bool to_bool(PyObject* value, bool& out) {
    if (PyBool_Check(value)) {
        out = value == Py_True;
        return true;
    }
    if (!is_numpy_bool(value)) {
        cannot_convert(value, "PyBool");
        return false;
    }
    return to_truth(value, out);
}

bool to_truth(PyObject* value, bool& out) {
    const int truth = PyObject_IsTrue(value);
    if (truth < 0) return false;
    out = truth == 1;
    return true;
}

// ---------------------------------------------------------------------------
// Results

PyObject* to_python(Nothing) { Py_RETURN_NONE; }
PyObject* to_python(bool value) { return PyBool_FromLong(value); }
PyObject* to_python(std::uint64_t value) { return PyLong_FromUnsignedLongLong(value); }
PyObject* to_python(std::int64_t value) { return PyLong_FromLongLong(value); }
PyObject* to_python(double value) { return PyFloat_FromDouble(value); }
PyObject* to_python(char letter) { return PyUnicode_FromOrdinal(static_cast<unsigned char>(letter)); }
PyObject* to_python(const std::string& text) {
    return PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
}

}  // namespace tarvik::module
