#include "squares.hpp"

#include <string>
#include <vector>

#include "../board/bitboard.hpp"
#include "../board/failure.hpp"
#include "../board/move.hpp"
#include "docstrings.hpp"
#include "types.hpp"

namespace tarvik::module {
namespace {

// A file or rank index, 0..7; other integers raise ValueError.
bool to_file_or_rank(PyObject* value, std::uint8_t& out) {
    long long index = 0;
    if (!to_count(value, index)) return false;
    if (index < 0 || index > 7) {
        PyErr_Format(PyExc_ValueError, "index %lld is off the board: files and ranks are 0 to 7", index);
        return false;
    }
    out = static_cast<std::uint8_t>(index);
    return true;
}

using FileOrRankParam = Param<std::uint8_t, to_file_or_rank>;

constexpr const char* SQUARE[] = {"square"};

PyObject* square_name_function(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Signature signature{"square_name", SQUARE, 1};
    return call_function<SquareParam>(signature, args, nargs, kwnames,
                                      [](std::uint8_t square) { return square_name(square); });
}

PyObject* parse_square_function(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"name"};
    static constexpr Signature signature{"parse_square", parameters, 1};
    return call_function<TextParam>(signature, args, nargs, kwnames, [](const std::string& name) {
        const std::optional<std::uint32_t> square = parse_square_name(name);
        if (!square) reject("invalid square name: '" + name + "' (expected a1 to h8)");
        return std::uint64_t{*square};
    });
}

PyObject* square_function(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"file_index", "rank_index"};
    static constexpr Signature signature{"square", parameters, 2};
    return call_function<FileOrRankParam, FileOrRankParam>(signature, args, nargs, kwnames,
        [](std::uint8_t file, std::uint8_t rank) { return std::uint64_t{rank * 8u + file}; });
}

PyObject* square_file_function(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Signature signature{"square_file", SQUARE, 1};
    return call_function<SquareParam>(signature, args, nargs, kwnames,
                                      [](std::uint8_t square) { return std::uint64_t{FILE_OF[square]}; });
}

PyObject* square_rank_function(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Signature signature{"square_rank", SQUARE, 1};
    return call_function<SquareParam>(signature, args, nargs, kwnames,
                                      [](std::uint8_t square) { return std::uint64_t{square / 8u}; });
}

PyObject* square_distance_function(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"a", "b"};
    static constexpr Signature signature{"square_distance", parameters, 2};
    return call_function<SquareParam, SquareParam>(signature, args, nargs, kwnames, [](std::uint8_t a, std::uint8_t b) {
        return std::uint64_t(square_distance(a, b));
    });
}

constexpr int WITH_ARGUMENTS = METH_FASTCALL | METH_KEYWORDS;

PyMethodDef functions[] = {
    {"square_name", method_pointer(square_name_function), WITH_ARGUMENTS, doc("square_name")},
    {"parse_square", method_pointer(parse_square_function), WITH_ARGUMENTS, doc("parse_square")},
    {"square", method_pointer(square_function), WITH_ARGUMENTS, doc("square")},
    {"square_file", method_pointer(square_file_function), WITH_ARGUMENTS, doc("square_file")},
    {"square_rank", method_pointer(square_rank_function), WITH_ARGUMENTS, doc("square_rank")},
    {"square_distance", method_pointer(square_distance_function), WITH_ARGUMENTS, doc("square_distance")},
};

// Sets the attribute and lets go of the new value.
bool add_constant(PyObject* module, const char* name, PyObject* value) {
    const Owned owned(value);
    return owned && PyObject_SetAttrString(module, name, owned.get()) == 0;
}

}  // namespace

std::span<PyMethodDef> square_functions() { return functions; }

bool add_square_constants(PyObject* module) {
    std::vector<std::string> names;
    for (std::uint32_t square = 0; square < 64; ++square) names.push_back(square_name(square));
    if (!add_constant(module, "SQUARE_NAMES", to_python(names))) return false;
    for (std::uint32_t square = 0; square < 64; ++square) {
        std::string constant = names[square];
        constant[0] = char(constant[0] - 'a' + 'A');
        if (!add_constant(module, constant.c_str(), PyLong_FromUnsignedLong(square))) return false;
    }
    return add_constant(module, "WHITE", Py_NewRef(Py_True)) && add_constant(module, "BLACK", Py_NewRef(Py_False));
}

}  // namespace tarvik::module
