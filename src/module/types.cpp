#include "types.hpp"

namespace tarvik::module {

PyTypeObject* create_type(PyType_Spec& type_spec) {
    PyObject* type = PyType_FromSpec(&type_spec);
    if (type == nullptr) return nullptr;
    // The stored documentation carries only the text signature, so __doc__ is None.
    if (PyObject_SetAttrString(type, "__doc__", Py_None) < 0) {
        Py_DECREF(type);
        return nullptr;
    }
    return reinterpret_cast<PyTypeObject*>(type);
}

PyObject* new_from_tuple(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    return PyVectorcall_Call(reinterpret_cast<PyObject*>(type), args, kwargs);
}

}  // namespace tarvik::module
