// What the files defining Board methods share: the calling forms and the method
// tables each of them contributes. The class registers the tables one after the
// other, in the order board_method_tables() lists them.
#pragma once

#include <span>
#include <utility>

#include "../board/board.hpp"
#include "docstrings.hpp"
#include "types.hpp"

namespace tarvik::module {

using Arguments = PyObject* const*;

inline constexpr int NO_ARGUMENTS = METH_NOARGS;
inline constexpr int WITH_ARGUMENTS = METH_FASTCALL | METH_KEYWORDS;

template <Access kind, class... Params, class Body>
PyObject* board_call(PyObject* self, const Signature& signature, Arguments args, Py_ssize_t nargs, PyObject* kwnames,
                     Body&& body) {
    return call_method<tarvik::Board, kind, Params...>(self, signature, args, nargs, kwnames, std::forward<Body>(body));
}

// Methods without arguments use the interpreter's no-argument form, which
// rejects arguments itself.
template <Access kind, class Body>
PyObject* board_call(PyObject* self, Body&& body) {
    static constexpr Signature no_arguments{"", {}, 0};
    return call_method<tarvik::Board, kind>(self, no_arguments, nullptr, 0, nullptr, std::forward<Body>(body));
}

// The tables, each without a closing sentinel.
std::span<const PyMethodDef> core_board_methods();        // board_type.cpp
std::span<const PyMethodDef> everyday_board_methods();    // board_everyday.cpp
std::span<const PyMethodDef> picture_board_methods();     // board_pictures.cpp
std::span<const PyMethodDef> query_board_methods();       // board_queries.cpp
std::span<const PyMethodDef> outcome_board_methods();     // board_outcome.cpp
std::span<const PyMethodDef> move_kind_board_methods();   // board_move_kinds.cpp
std::span<const PyMethodDef> editing_board_methods();     // board_editing.cpp
std::span<const PyMethodDef> setup_board_methods();       // board_setup.cpp
std::span<const PyMethodDef> epd_board_methods();         // board_epd.cpp

// The attributes beyond turn (board_type.cpp), also without a sentinel.
std::span<const PyGetSetDef> game_board_attributes();     // board_queries.cpp

}  // namespace tarvik::module
