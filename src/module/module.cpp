// Module initialisation: the owning interpreter, the cached module object, and
// the names the module exports, in the order of __all__, then the names beside
// them. All of it lives as long as the runtime that imported the module, which a
// program embedding Python may finalize and start again.
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "arrow_type.hpp"
#include "book_types.hpp"
#include "docstrings.hpp"
#include "game_data.hpp"
#include "score_type.hpp"
#include "squares.hpp"
#include "types.hpp"

namespace tarvik::module {
namespace {

// The interpreter that imported the module first; -1 until then.
std::atomic<std::int64_t> owning_interpreter{-1};
PyObject* cached_module = nullptr;

PyObject* hello_world(PyObject*, PyObject*) {
    // Straight to the process's standard output handle, past sys.stdout.
    std::string_view rest = "Hello World!\n";
    while (!rest.empty()) {
        const ssize_t written = write(STDOUT_FILENO, rest.data(), rest.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            raise_panic(std::string("failed printing to stdout: ") + std::strerror(errno));
            return nullptr;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    Py_RETURN_NONE;
}

PyMethodDef hello_world_def{"hello_world", hello_world, METH_NOARGS, doc("hello_world")};
PyMethodDef read_pgn_def{"read_pgn", method_pointer(read_pgn), METH_FASTCALL | METH_KEYWORDS, doc("read_pgn")};
PyMethodDef pgn_table_def{"pgn_table", method_pointer(pgn_table), METH_FASTCALL | METH_KEYWORDS, doc("pgn_table")};
PyMethodDef open_book_def{"open_book", method_pointer(open_book), METH_FASTCALL | METH_KEYWORDS, doc("open_book")};

PyModuleDef module_def{PyModuleDef_HEAD_INIT, "tarvik", "", 0, nullptr, nullptr, nullptr, nullptr, nullptr};

// Sets the attribute; a name beyond the three that __all__ lists.
bool add_name(PyObject* module, const char* name, PyObject* value) {
    return value != nullptr && PyObject_SetAttrString(module, name, value) == 0;
}

// Appends the name to __all__ (created by the first addition), then sets the attribute.
bool export_name(PyObject* module, const char* name, PyObject* value) {
    if (value == nullptr) return false;
    PyObject* all = nullptr;
    if (PyObject_GetOptionalAttrString(module, "__all__", &all) < 0) return false;
    if (all == nullptr) {
        all = PyList_New(0);
        if (all == nullptr || PyObject_SetAttrString(module, "__all__", all) < 0) {
            Py_XDECREF(all);
            return false;
        }
    }
    PyObject* text = PyUnicode_FromString(name);
    const bool listed = text != nullptr && PyList_Append(all, text) == 0;
    Py_XDECREF(text);
    Py_DECREF(all);
    return listed && PyObject_SetAttrString(module, name, value) == 0;
}

// Called by Py_FinalizeEx once the runtime is gone: everything the module kept
// died with it, so the next runtime starts from nothing. No Python API may be
// called here, so nothing is released, only forgotten.
void forget_runtime() {
    cached_module = nullptr;
    forget_board_type();
    forget_move_type();
    forget_board_state_type();
    forget_game_type();
    forget_game_node_type();
    forget_headers_type();
    forget_pgn_reader_type();
    forget_pgn_table_type();
    forget_book_reader_type();
    forget_book_entry_type();
    forget_outcome_types();
    forget_score_type();
    forget_arrow_type();
    forget_panic_type();
    owning_interpreter.store(-1);
}

bool claim_interpreter() {
    const std::int64_t id = PyInterpreterState_GetID(PyInterpreterState_Get());
    if (id < 0) return false;
    std::int64_t expected = -1;
    if (owning_interpreter.compare_exchange_strong(expected, id)) {
        // The first import of this runtime; the interpreter runs the exit
        // functions once, so each runtime registers its own.
        if (Py_AtExit(forget_runtime) == 0) return true;
        owning_interpreter.store(-1);
        PyErr_SetString(PyExc_ImportError, "tarvik could not register its clean-up at interpreter exit");
        return false;
    }
    if (expected == id) return true;
    PyErr_SetString(PyExc_ImportError,
                    "tarvik does not support sub-interpreters: it is already loaded in another interpreter");
    return false;
}

// Adds a function of the module, listed in __all__ or not.
bool add_function(PyObject* module, PyMethodDef& definition, bool listed) {
    PyObject* module_name = PyModule_GetNameObject(module);
    if (module_name == nullptr) return false;
    PyObject* function = PyCMethod_New(&definition, module, module_name, nullptr);
    Py_DECREF(module_name);
    const bool added = listed ? export_name(module, definition.ml_name, function)
                              : add_name(module, definition.ml_name, function);
    Py_XDECREF(function);
    return added;
}

// The square helpers and constants, after every other name.
bool add_square_names(PyObject* module) {
    for (PyMethodDef& definition : square_functions()) {
        if (!add_function(module, definition, false)) return false;
    }
    return add_square_constants(module);
}

PyObject* type_object(PyTypeObject* type) { return reinterpret_cast<PyObject*>(type); }

PyObject* create_module() {
    PyObject* module = PyModule_Create(&module_def);
    if (module == nullptr) return nullptr;
    const Owned version(PyUnicode_FromString(TARVIK_VERSION));
    const bool filled = export_name(module, "Board", type_object(board_type())) &&
                        export_name(module, "Move", type_object(move_type())) &&
                        add_function(module, hello_world_def, true) && add_name(module, "__version__", version.get()) &&
                        add_function(module, read_pgn_def, false) &&
                        add_name(module, "Game", type_object(game_type())) &&
                        add_name(module, "GameNode", type_object(game_node_type())) &&
                        add_name(module, "Headers", type_object(headers_type())) &&
                        add_name(module, "PgnReader", type_object(pgn_reader_type())) &&
                        add_function(module, pgn_table_def, false) &&
                        add_name(module, "PgnTable", type_object(pgn_table_type())) &&
                        add_function(module, open_book_def, false) &&
                        add_name(module, "BookReader", type_object(book_reader_type())) &&
                        add_name(module, "BookEntry", type_object(book_entry_type())) &&
                        add_name(module, "Outcome", type_object(outcome_type())) &&
                        add_name(module, "Termination", type_object(termination_type())) &&
                        add_name(module, "Score", type_object(score_type())) &&
                        add_name(module, "Arrow", type_object(arrow_type())) &&
                        add_square_names(module);
    if (!filled) {
        Py_DECREF(module);
        return nullptr;
    }
    return module;
}

}  // namespace
}  // namespace tarvik::module

PyMODINIT_FUNC PyInit_tarvik() {
    using namespace tarvik::module;
    if (!claim_interpreter()) return nullptr;
    if (cached_module == nullptr) cached_module = create_module();
    return Py_XNewRef(cached_module);
}
