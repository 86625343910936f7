#include "types.hpp"

#include <string>

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

namespace {

// An owned reference, released at the end of its scope.
class Owned {
public:
    explicit Owned(PyObject* object) : object_(object) {}
    ~Owned() { Py_XDECREF(object_); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    PyObject* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    PyObject* object_;
};

PyObject* attribute_of(const char* module_name, const char* name) {
    const Owned module(PyImport_ImportModule(module_name));
    return module ? PyObject_GetAttrString(module.get(), name) : nullptr;
}

}  // namespace

PyObject* reduce_to_call(const char* class_name, PyObject* arguments, PyObject* state) {
    // Pickle finds a class by its module and name, but these classes say they live
    // in "builtins", and the module may gain no names. What pickle can find is
    // tarvik.hello_world, whose __self__ is the module; from it the call is rebuilt
    // out of functions pickle knows:
    //     next(map(methodcaller("__call__", *arguments),
    //              map(attrgetter("__self__.Class"), (tarvik.hello_world,))))
    const Owned hello_world(attribute_of("tarvik", "hello_world"));
    const Owned attrgetter(attribute_of("operator", "attrgetter"));
    const Owned methodcaller(attribute_of("operator", "methodcaller"));
    const Owned next(attribute_of("builtins", "next"));
    if (!hello_world || !attrgetter || !methodcaller || !next) return nullptr;
    const std::string path = std::string("__self__.") + class_name;
    const Owned find_class(PyObject_CallFunction(attrgetter.get(), "s", path.c_str()));
    const Owned method_name(Py_BuildValue("(s)", "__call__"));
    const Owned call_arguments(method_name ? PySequence_Concat(method_name.get(), arguments) : nullptr);
    const Owned call(call_arguments ? PyObject_Call(methodcaller.get(), call_arguments.get(), nullptr) : nullptr);
    PyObject* map = reinterpret_cast<PyObject*>(&PyMap_Type);
    const Owned classes(find_class ? PyObject_CallFunction(map, "O(O)", find_class.get(), hello_world.get()) : nullptr);
    const Owned objects(call && classes ? PyObject_CallFunctionObjArgs(map, call.get(), classes.get(), nullptr)
                                        : nullptr);
    if (!objects) return nullptr;
    return state ? Py_BuildValue("O(O)O", next.get(), objects.get(), state)
                 : Py_BuildValue("O(O)", next.get(), objects.get());
}

PyObject* new_from_tuple(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    return PyVectorcall_Call(reinterpret_cast<PyObject*>(type), args, kwargs);
}

}  // namespace tarvik::module
