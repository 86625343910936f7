// The one door between Python and the engine. Every method binds its arguments,
// takes shared or exclusive access to its object, converts the arguments, runs one
// engine step, releases the object and converts the result, in that order.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "../board/failure.hpp"
#include "../board/move.hpp"
#include "../corpus/byte_source.hpp"

namespace tarvik {
struct Board;
struct BookEntry;
}
namespace tarvik::game {
struct Arrow;
struct GameRecord;
struct Score;
}

namespace tarvik::module {

// ---------------------------------------------------------------------------
// Access to objects

// Beside each engine record: 0 when free, all ones while held exclusively,
// otherwise the number of shared holders. A request that cannot be granted fails
// at once; nothing ever waits (only Python code run during a conversion can meet
// an object that is already held).
class AccessFlag {
public:
    bool try_share();
    void end_share() { word_.fetch_sub(1, std::memory_order_release); }
    bool try_exclusive();
    void end_exclusive() { word_.store(0, std::memory_order_release); }

private:
    static constexpr std::uintptr_t EXCLUSIVE = ~std::uintptr_t{0};
    std::atomic<std::uintptr_t> word_{0};
};

enum class Access { shared, exclusive };

// Holds access to an object for one scope. When the access cannot be granted the
// RuntimeError is set and the guard is false.
class Borrow {
public:
    Borrow(AccessFlag& flag, Access kind);
    ~Borrow();
    Borrow(const Borrow&) = delete;
    Borrow& operator=(const Borrow&) = delete;
    explicit operator bool() const { return held_; }

private:
    AccessFlag& flag_;
    Access kind_;
    bool held_;
};

// The layout of every instance: the engine record, then its access flag.
template <class Record>
struct Object {
    PyObject_HEAD
    Record record;
    AccessFlag access;
};

template <class Record>
Object<Record>* as_object(PyObject* self) {
    return reinterpret_cast<Object<Record>*>(self);
}

// Memory for an instance of `type`, its header set: the type's own allocator where
// it has one (a free list, a garbage-collected type), else the object allocator
// without zero-filling, as the record is constructed right away.
PyObject* allocate_object(PyTypeObject* type);

// The one way instances are made: a new instance of `type` (nullptr with the error
// set when it or the memory is missing) whose record is built in place from
// `arguments`. Records are built from moved or plain values, which do not throw.
template <class Record, class... Arguments>
PyObject* new_object(PyTypeObject* type, Arguments&&... arguments) {
    if (type == nullptr) return nullptr;
    PyObject* self = allocate_object(type);
    if (self == nullptr) return nullptr;
    auto* object = as_object<Record>(self);
    new (&object->record) Record(std::forward<Arguments>(arguments)...);
    new (&object->access) AccessFlag();
    return self;
}

template <class Record>
void dealloc_object(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    as_object<Record>(self)->record.~Record();
    type->tp_free(self);
    Py_DECREF(type);  // instances of heap types own a reference to their type
}

// ---------------------------------------------------------------------------
// Failures

// Raises pyo3_runtime.PanicException(message), creating the class once per
// runtime, on first need. The message is taken whole, NUL characters included.
void raise_panic(std::string_view message);

// Drops the class once its runtime has finalized (see forget_board_type).
void forget_panic_type();

// Raises ValueError(message), the message taken whole.
void raise_value_error(std::string_view message);

// What a Python file object's read() raised, carried through native code (and
// across threads) to be raised again here. Copies share the exception, and the
// last lets go of it with the GIL, whichever thread that happens on.
class PythonReadFailure : public corpus::SourceFailure {
public:
    explicit PythonReadFailure(PyObject* exception);  // takes the reference; with the GIL held
    PyObject* exception() const { return exception_.get(); }

private:
    std::shared_ptr<PyObject> exception_;
};

// Raises the Python exception for a source that could not go on: OSError (with its
// errno) for a failed read, corrupt data or a format this build cannot read,
// EOFError for compressed data cut short, and a file object's own exception.
void raise_source_failure(const corpus::SourceFailure& failure);

// Thrown through native code when Python code it ran (a signal handler) raised:
// the Python error is set already.
struct PythonErrorSet {};

// Runs an engine step. An internal failure becomes PanicException, rejected input
// ValueError, a source that failed what raise_source_failure raises, and exhausted
// memory MemoryError; then the function returns false.
template <class Step>
bool run_engine(Step&& step) noexcept {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const InternalFailure& failure) {
        raise_panic(failure.message());
    } catch (const RejectedInput& rejection) {
        raise_value_error(rejection.message());
    } catch (const corpus::SourceFailure& failure) {
        raise_source_failure(failure);
    } catch (const PythonErrorSet&) {
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::exception& error) {
        raise_panic(error.what());
    }
    return false;
}

// ---------------------------------------------------------------------------
// The GIL

// Lets other Python threads run during native work that touches no Python object.
class ReleasedGil {
public:
    ReleasedGil() : state_(PyEval_SaveThread()) {}
    ~ReleasedGil() { PyEval_RestoreThread(state_); }
    ReleasedGil(const ReleasedGil&) = delete;
    ReleasedGil& operator=(const ReleasedGil&) = delete;

private:
    PyThreadState* state_;
};

// Releases the GIL for a scope when the calling thread holds it: for callbacks that
// consumers call holding it (pyarrow, polars) or not (DuckDB's threads).
class ReleasedGilIfHeld {
public:
    ReleasedGilIfHeld() : state_(PyGILState_Check() ? PyEval_SaveThread() : nullptr) {}
    ~ReleasedGilIfHeld() {
        if (state_) PyEval_RestoreThread(state_);
    }
    ReleasedGilIfHeld(const ReleasedGilIfHeld&) = delete;
    ReleasedGilIfHeld& operator=(const ReleasedGilIfHeld&) = delete;

private:
    PyThreadState* state_;
};

// Holds the GIL for a scope, on any thread, whether it holds it already or not.
class HeldGil {
public:
    HeldGil() : state_(PyGILState_Ensure()) {}
    ~HeldGil() { PyGILState_Release(state_); }
    HeldGil(const HeldGil&) = delete;
    HeldGil& operator=(const HeldGil&) = delete;

private:
    PyGILState_STATE state_;
};

// ---------------------------------------------------------------------------
// Arguments

struct Signature {
    const char* qualified_name;  // "{class}.{method}", as binding errors name it
    std::span<const char* const> parameters;
    std::size_t required;  // the leading parameters without a default
    std::size_t keyword_only = 0;  // the trailing parameters that can only be given by keyword

    std::size_t positional() const { return parameters.size() - keyword_only; }
};

// Fills bound[i] with a borrowed reference to parameter i, or nullptr when it was
// not given. Returns false with the binding TypeError set.
bool bind_arguments(const Signature& signature, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                    PyObject** bound);

// Converters: each reads one Python value into an engine value, or sets the error
// and returns false.
bool to_text(PyObject* value, std::string& out);
bool to_char(PyObject* value, char32_t& out);
// Integers named by their width: from 0 to 2**64 - 1, 2**32 - 1 and 255, else OverflowError.
bool to_uint64(PyObject* value, std::uint64_t& out);
bool to_uint32(PyObject* value, std::uint32_t& out);
bool to_uint8(PyObject* value, std::uint8_t& out);
bool to_square(PyObject* value, std::uint8_t& out);  // 0..63; other integers raise ValueError
bool to_bool(PyObject* value, bool& out);
bool to_truth(PyObject* value, bool& out);  // any object, by its truth value

bool to_bytes(PyObject* value, std::string& out);
bool to_count(PyObject* value, long long& out);      // any int of 64 bits
bool to_any(PyObject* value, PyObject*& out);        // any object, borrowed for the call

// A parameter: its engine type, the converter that reads it, and the value it has
// when an optional argument is left out.
template <class T, bool (*Convert)(PyObject*, T&)>
struct Param {
    using type = T;
    static bool convert(PyObject* value, T& out) { return Convert(value, out); }
    static T initial() { return T{}; }
};

// A parameter whose default is some other value.
template <class P, auto Default>
struct Defaulted : P {
    static typename P::type initial() { return Default; }
};

// None for absent, or what P reads.
template <class P>
struct Optional {
    using type = std::optional<typename P::type>;
    static bool convert(PyObject* value, type& out) {
        if (value == Py_None) {
            out.reset();
            return true;
        }
        return P::convert(value, out.emplace());
    }
    static type initial() { return std::nullopt; }
};

using TextParam = Param<std::string, to_text>;
using BytesParam = Param<std::string, to_bytes>;
using DepthParam = Param<std::uint32_t, to_uint32>;  // a perft depth
using CountParam = Param<long long, to_count>;
using AnyParam = Param<PyObject*, to_any>;
using OptionalTextParam = Optional<TextParam>;
using CharParam = Param<char32_t, to_char>;
using OptionalCharParam = Optional<CharParam>;
using BitboardParam = Param<std::uint64_t, to_uint64>;
using OffsetParam = Param<std::uint64_t, to_uint64>;  // a byte offset in a source
// Worker threads: from 1 to 1024 (None, every core the process may use, is read by
// Optional and counted by the caller).
bool to_thread_count(PyObject* value, std::uint32_t& out);
using ThreadCountParam = Param<std::uint32_t, to_thread_count>;
using Uint32Param = Param<std::uint32_t, to_uint32>;
using Uint8Param = Param<std::uint8_t, to_uint8>;
using SquareParam = Param<std::uint8_t, to_square>;
using BoolParam = Param<bool, to_bool>;
using TrueParam = Defaulted<BoolParam, true>;
using TruthParam = Param<bool, to_truth>;

// After a failed conversion of the argument `name`: a TypeError is raised again
// as "argument '{name}': {message}", caused by the original; other errors stay.
void name_argument_error(const char* name);

// Converts one bound argument; a missing optional argument keeps its default.
template <class P>
bool convert_argument(const char* name, PyObject* value, typename P::type& out) {
    if (value == nullptr) return true;
    if (P::convert(value, out)) return true;
    name_argument_error(name);
    return false;
}

template <class... Params, std::size_t... I>
bool convert_arguments(const Signature& signature, PyObject* const* bound, std::tuple<typename Params::type...>& out,
                       std::index_sequence<I...>) {
    return (convert_argument<Params>(signature.parameters[I], bound[I], std::get<I>(out)) && ...);
}

// ---------------------------------------------------------------------------
// Results

struct Nothing {};
PyObject* to_python(Nothing);
PyObject* to_python(bool value);
PyObject* to_python(std::uint64_t value);
PyObject* to_python(std::int64_t value);
PyObject* to_python(double value);
PyObject* to_python(char letter);  // a one-character str
PyObject* to_python(const std::string& text);
PyObject* to_python(const Move& move);  // a new Move object
PyObject* to_python(tarvik::Board&& board);  // a new Board object owning the board
PyObject* to_python(game::GameRecord&& record);  // a new Game object owning the record
PyObject* to_python(const BookEntry& entry);  // a new BookEntry object
PyObject* to_python(const game::Score& score);  // a new Score object
PyObject* to_python(const game::Arrow& arrow);  // a new Arrow object

// None for an absent value.
template <class T>
PyObject* to_python(const std::optional<T>& value) {
    return value ? to_python(*value) : Py_NewRef(Py_None);
}

// A new list.
template <class T>
PyObject* to_python(std::span<const T> items) {
    PyObject* list = PyList_New(static_cast<Py_ssize_t>(items.size()));
    if (list == nullptr) return nullptr;
    for (std::size_t i = 0; i < items.size(); ++i) {
        PyObject* item = to_python(items[i]);
        if (item == nullptr) {
            Py_DECREF(list);
            return nullptr;
        }
        PyList_SET_ITEM(list, static_cast<Py_ssize_t>(i), item);
    }
    return list;
}
template <class T>
PyObject* to_python(const std::vector<T>& items) {
    return to_python(std::span<const T>(items));
}
inline PyObject* to_python(const MoveList& moves) { return to_python(std::span<const Move>(moves.begin(), moves.size())); }

// ---------------------------------------------------------------------------
// Methods

// The body of a method receives the record and the converted arguments. It
// returns its result, or, when it produces moves, takes a MoveList to fill as its
// last argument.
template <bool fills_moves, class Body, class... Arguments>
struct MethodResult {
    using type = MoveList;
};
template <class Body, class... Arguments>
struct MethodResult<false, Body, Arguments...> {
    using Returned = std::invoke_result_t<Body, Arguments...>;
    using type = std::conditional_t<std::is_void_v<Returned>, Nothing, Returned>;
};

template <class Record, Access kind, class... Params, class Body>
PyObject* call_method(PyObject* self, const Signature& signature, PyObject* const* args, Py_ssize_t nargs,
                      PyObject* kwnames, Body&& body) {
    PyObject* bound[sizeof...(Params) + 1] = {};
    if constexpr (sizeof...(Params) > 0) {
        if (!bind_arguments(signature, args, nargs, kwnames, bound)) return nullptr;
    }
    constexpr bool fills_moves = std::is_invocable_v<Body, Record&, typename Params::type..., MoveList&>;
    using Result = typename MethodResult<fills_moves, Body, Record&, typename Params::type...>::type;
    Result result{};
    {
        Object<Record>* object = as_object<Record>(self);
        Borrow borrow(object->access, kind);
        if (!borrow) return nullptr;
        std::tuple<typename Params::type...> values{Params::initial()...};
        if (!convert_arguments<Params...>(signature, bound, values, std::index_sequence_for<Params...>{})) {
            return nullptr;
        }
        const bool done = run_engine([&] {
            auto arguments = std::tuple_cat(std::forward_as_tuple(object->record), std::move(values));
            if constexpr (fills_moves) {
                std::apply(body, std::tuple_cat(std::move(arguments), std::forward_as_tuple(result)));
            } else if constexpr (std::is_same_v<Result, Nothing>) {
                std::apply(body, std::move(arguments));
            } else {
                result = std::apply(body, std::move(arguments));
            }
        });
        if (!done) return nullptr;
    }
    return to_python(std::move(result));
}

// A call without a receiver (a constructor or a class method): bind and convert
// the arguments, run the engine step, and only then create the result object.
template <class... Params, class Body>
PyObject* call_function(const Signature& signature, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                        Body&& body) {
    PyObject* bound[sizeof...(Params)] = {};
    if (!bind_arguments(signature, args, nargs, kwnames, bound)) return nullptr;
    std::tuple<typename Params::type...> values{Params::initial()...};
    if (!convert_arguments<Params...>(signature, bound, values, std::index_sequence_for<Params...>{})) return nullptr;
    std::optional<std::invoke_result_t<Body, typename Params::type...>> result;
    if (!run_engine([&] { result.emplace(std::apply(body, std::move(values))); })) return nullptr;
    return to_python(std::move(*result));
}

// A function pointer of any method calling form, as PyMethodDef stores it.
template <class Function>
PyCFunction method_pointer(Function function) {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function));
}

// Attribute access: reads take shared access; an assignment converts the value
// first and only then takes exclusive access; deletion is refused.
template <class Record, class Read>
PyObject* get_attribute(PyObject* self, Read&& read) {
    Object<Record>* object = as_object<Record>(self);
    Borrow borrow(object->access, Access::shared);
    if (!borrow) return nullptr;
    return std::forward<Read>(read)(std::as_const(object->record));
}

// Runs `read` on the record under shared access, as an engine step; false with the
// Python error set when access is refused or the step fails.
template <class Record, class Read>
bool read_record(PyObject* self, Read&& read) {
    Object<Record>* object = as_object<Record>(self);
    Borrow borrow(object->access, Access::shared);
    return borrow && run_engine([&] { read(std::as_const(object->record)); });
}

// A read-only attribute that an engine step computes: shared access while it runs,
// the conversion of its value after.
template <class Record, class Read>
PyObject* get_computed(PyObject* self, Read&& read) {
    std::optional<std::invoke_result_t<Read, const Record&>> value;
    if (!read_record<Record>(self, [&](const Record& record) { value.emplace(read(record)); })) return nullptr;
    return to_python(std::move(*value));
}

template <class Record, class P, class Write>
int set_attribute(PyObject* self, PyObject* value, const char* name, Write&& write) {
    if (value == nullptr) {
        PyErr_SetString(PyExc_AttributeError, "can't delete attribute");
        return -1;
    }
    typename P::type converted{};
    if (!convert_argument<P>(name, value, converted)) return -1;
    Object<Record>* object = as_object<Record>(self);
    Borrow borrow(object->access, Access::exclusive);
    if (!borrow) return -1;
    std::forward<Write>(write)(object->record, std::move(converted));
    return 0;
}

// The qualified name of a value's type, as conversion errors name it.
std::string type_name(PyObject* value);

// Sets "'{type}' object cannot be converted to '{target}'" as a TypeError.
void cannot_convert(PyObject* value, const char* target);

}  // namespace tarvik::module
