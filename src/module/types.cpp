#include "types.hpp"

#include <string>

namespace tarvik::module {

PyTypeObject* create_type(PyType_Spec& type_spec, ClassDoc class_doc) {
    auto* type = reinterpret_cast<PyTypeObject*>(PyType_FromSpec(&type_spec));
    if (type == nullptr || class_doc == ClassDoc::kept) return type;
    // The stored documentation carries only the text signature, so __doc__ is None.
    if (!set_class_attribute(type, "__doc__", Py_None)) {
        Py_DECREF(type);
        return nullptr;
    }
    return type;
}

bool set_class_attribute(PyTypeObject* type, const char* name, PyObject* value) {
    // The type is immutable, so the entry is written into its dictionary directly.
    PyObject* dict = PyType_GetDict(type);
    const bool set = dict != nullptr && PyDict_SetItemString(dict, name, value) == 0;
    Py_XDECREF(dict);
    if (set) PyType_Modified(type);
    return set;
}

namespace {

PyObject* attribute_of(const char* module_name, const char* name) {
    const Owned module(PyImport_ImportModule(module_name));
    return module ? PyObject_GetAttrString(module.get(), name) : nullptr;
}

}  // namespace

namespace {

// (functools.reduce, (operator.call, (hello_world, argument), find_class)):
// find_class(hello_world)(argument), in the fewest objects pickle must write.
PyObject* one_argument_call(PyObject* find_class, PyObject* hello_world, PyObject* call, PyObject* argument) {
    const Owned reduce(attribute_of("functools", "reduce"));
    return reduce ? Py_BuildValue("O(O(OO)O)", reduce.get(), call, hello_world, argument, find_class) : nullptr;
}

// (next, (map(operator.call, map(find_class, (hello_world,)), (argument_1,), ...),)):
// the first item of a map that calls the class with one item of each column.
PyObject* many_argument_call(PyObject* find_class, PyObject* hello_world, PyObject* call, PyObject* arguments) {
    PyObject* map = reinterpret_cast<PyObject*>(&PyMap_Type);
    const Py_ssize_t count = PyTuple_GET_SIZE(arguments);
    const Owned map_arguments(PyTuple_New(count + 2));
    if (!map_arguments) return nullptr;
    PyTuple_SET_ITEM(map_arguments.get(), 0, Py_NewRef(call));
    PyObject* classes = PyObject_CallFunction(map, "O(O)", find_class, hello_world);
    if (classes == nullptr) return nullptr;
    PyTuple_SET_ITEM(map_arguments.get(), 1, classes);
    for (Py_ssize_t i = 0; i < count; ++i) {
        PyObject* column = PyTuple_Pack(1, PyTuple_GET_ITEM(arguments, i));
        if (column == nullptr) return nullptr;
        PyTuple_SET_ITEM(map_arguments.get(), i + 2, column);
    }
    const Owned objects(PyObject_Call(map, map_arguments.get(), nullptr));
    const Owned next(attribute_of("builtins", "next"));
    return objects && next ? Py_BuildValue("O(O)", next.get(), objects.get()) : nullptr;
}

}  // namespace

PyObject* reduce_to_call(const char* class_name, PyObject* arguments, PyObject* state) {
    // Pickle finds a class by its module and name, but these classes say they live
    // in "builtins", and the module may gain no names. What pickle can find is
    // tarvik.hello_world, whose __self__ is the module, and find_class =
    // operator.attrgetter("__self__.Class") turns it into the class; the call is
    // rebuilt out of functions pickle knows.
    const Owned hello_world(attribute_of("tarvik", "hello_world"));
    const Owned call(attribute_of("operator", "call"));
    const Owned attrgetter(attribute_of("operator", "attrgetter"));
    if (!hello_world || !call || !attrgetter) return nullptr;
    const std::string path = std::string("__self__.") + class_name;
    const Owned find_class(PyObject_CallFunction(attrgetter.get(), "s", path.c_str()));
    if (!find_class) return nullptr;
    const Owned recipe(PyTuple_GET_SIZE(arguments) == 1
                           ? one_argument_call(find_class.get(), hello_world.get(), call.get(),
                                               PyTuple_GET_ITEM(arguments, 0))
                           : many_argument_call(find_class.get(), hello_world.get(), call.get(), arguments));
    if (!recipe || state == nullptr) return recipe ? Py_NewRef(recipe.get()) : nullptr;
    return Py_BuildValue("OOO", PyTuple_GET_ITEM(recipe.get(), 0), PyTuple_GET_ITEM(recipe.get(), 1), state);
}

PyObject* new_from_tuple(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    return PyVectorcall_Call(reinterpret_cast<PyObject*>(type), args, kwargs);
}

}  // namespace tarvik::module
