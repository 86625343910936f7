// Module initialisation: the owning interpreter, the cached module object, and
// the names the module exports, in the order of __all__, then the two classes of
// game outcomes beside them. All of it lives as long
// as the runtime that imported the module, which a program embedding Python may
// finalize and start again.
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "docstrings.hpp"
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

PyModuleDef module_def{PyModuleDef_HEAD_INIT, "tarvik", "", 0, nullptr, nullptr, nullptr, nullptr, nullptr};

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
    forget_outcome_types();
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

bool export_hello_world(PyObject* module) {
    PyObject* module_name = PyModule_GetNameObject(module);
    if (module_name == nullptr) return false;
    PyObject* function = PyCMethod_New(&hello_world_def, module, module_name, nullptr);
    Py_DECREF(module_name);
    const bool exported = export_name(module, "hello_world", function);
    Py_XDECREF(function);
    return exported;
}

// A name beside the exported ones, kept out of __all__.
bool add_name(PyObject* module, const char* name, PyTypeObject* type) {
    return type != nullptr && PyModule_AddObjectRef(module, name, reinterpret_cast<PyObject*>(type)) == 0;
}

PyObject* create_module() {
    PyObject* module = PyModule_Create(&module_def);
    if (module == nullptr) return nullptr;
    const bool filled = export_name(module, "Board", reinterpret_cast<PyObject*>(board_type())) &&
                        export_name(module, "Move", reinterpret_cast<PyObject*>(move_type())) &&
                        export_hello_world(module) && add_name(module, "Outcome", outcome_type()) &&
                        add_name(module, "Termination", termination_type());
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
