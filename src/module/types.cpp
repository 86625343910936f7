#include "types.hpp"

namespace tarvik::module {

PyTypeObject* create_type(PyType_Spec& type_spec) {
    PyObject* type = PyType_FromSpec(&type_spec);
    if (type == nullptr) return nullptr;
    // The stored documentation carries only the text signature, so __doc__ is None.
    // The type is immutable, so the entry is written into its dictionary directly.
    PyObject* dict = PyType_GetDict(reinterpret_cast<PyTypeObject*>(type));
    const bool documented = dict != nullptr && PyDict_SetItemString(dict, "__doc__", Py_None) == 0;
    Py_XDECREF(dict);
    if (!documented) {
        Py_DECREF(type);
        return nullptr;
    }
    PyType_Modified(reinterpret_cast<PyTypeObject*>(type));
    return reinterpret_cast<PyTypeObject*>(type);
}

PyObject* new_from_tuple(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    return PyVectorcall_Call(reinterpret_cast<PyObject*>(type), args, kwargs);
}

}  // namespace tarvik::module
