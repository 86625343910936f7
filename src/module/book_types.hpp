// The opening-book classes: BookReader, which open_book returns, and the
// BookEntry objects it hands out. Both are created once per runtime, on first need.
#pragma once

#include "../book/polyglot_book.hpp"
#include "types.hpp"

namespace tarvik::module {

PyTypeObject* book_entry_type();
PyTypeObject* book_reader_type();

// Drop the type objects once their runtime has finalized (see forget_board_type).
void forget_book_entry_type();
void forget_book_reader_type();

// open_book(path): a BookReader over the file at `path`.
PyObject* open_book(PyObject* module, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);

}  // namespace tarvik::module
