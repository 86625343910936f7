// The Arrow class: immutable, compared and hashed by its squares and colour, as
// python-chess's chess.svg.Arrow is built and written.
#include "arrow_type.hpp"

#include <array>
#include <string_view>

#include "docstrings.hpp"

namespace tarvik::module {
namespace {

using game::Arrow;

PyTypeObject* the_arrow_type = nullptr;

// The colours a comment can say, by their letter and their name.
constexpr std::array<std::pair<char, std::string_view>, 4> COLOURS{{
    {'G', "green"}, {'R', "red"}, {'Y', "yellow"}, {'B', "blue"}}};

std::string_view colour_name(char letter) {
    for (const auto& [code, name] : COLOURS) {
        if (code == letter) return name;
    }
    return "green";
}

bool to_colour(PyObject* value, char& out) {
    std::string name;
    if (!to_text(value, name)) return false;
    for (const auto& [code, known] : COLOURS) {
        if (known == name) {
            out = code;
            return true;
        }
    }
    PyErr_Format(PyExc_ValueError, "arrow colour must be 'green', 'red', 'yellow' or 'blue', not %R", value);
    return false;
}

using ColourParam = Param<char, to_colour>;

const Arrow& arrow_of(PyObject* self) { return as_object<Arrow>(self)->record; }

std::string square_name(std::uint8_t square) { return {char('a' + square % 8), char('1' + square / 8)}; }

std::string pgn_text(const Arrow& arrow) {
    std::string text(1, arrow.colour);
    text += square_name(arrow.tail);
    if (arrow.head != arrow.tail) text += square_name(arrow.head);
    return text;
}

PyObject* arrow_vectorcall(PyObject*, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"tail", "head", "color"};
    static constexpr Signature signature{"Arrow.__new__", parameters, 2, 1};
    return call_function<SquareParam, SquareParam, Defaulted<ColourParam, 'G'>>(
        signature, args, PyVectorcall_NARGS(nargsf), kwnames,
        [](std::uint8_t tail, std::uint8_t head, char colour) { return Arrow{tail, head, colour}; });
}

PyObject* arrow_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) { return new_from_tuple(type, args, kwargs); }

PyObject* from_pgn_method(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"pgn"};
    static constexpr Signature signature{"Arrow.from_pgn", parameters, 1};
    return call_function<TextParam>(signature, args, nargs, kwnames, [](const std::string& text) {
        // A colour letter (green when left out), then one square or two.
        std::string_view rest = text;
        char colour = 'G';
        if (!rest.empty() && std::string_view("GRYB").find(rest[0]) != std::string_view::npos) {
            colour = rest[0];
            rest.remove_prefix(1);
        }
        const auto square = [](std::string_view name) {
            return name.size() == 2 && name[0] >= 'a' && name[0] <= 'h' && name[1] >= '1' && name[1] <= '8';
        };
        if (!(rest.size() == 2 && square(rest)) && !(rest.size() == 4 && square(rest.substr(0, 2)) && square(rest.substr(2)))) {
            reject("invalid arrow: '" + text + "'");
        }
        const auto at = [&](std::size_t i) { return std::uint8_t((rest[i + 1] - '1') * 8 + (rest[i] - 'a')); };
        return Arrow{at(0), at(rest.size() - 2), colour};
    });
}

PyObject* get_tail(PyObject* self, void*) { return PyLong_FromLong(arrow_of(self).tail); }
PyObject* get_head(PyObject* self, void*) { return PyLong_FromLong(arrow_of(self).head); }
PyObject* get_color(PyObject* self, void*) {
    const std::string_view name = colour_name(arrow_of(self).colour);
    return PyUnicode_FromStringAndSize(name.data(), Py_ssize_t(name.size()));
}

PyObject* pgn_method(PyObject* self, PyObject*) { return to_python(pgn_text(arrow_of(self))); }

PyObject* arrow_repr(PyObject* self) {
    const Arrow& arrow = arrow_of(self);
    std::string tail = square_name(arrow.tail), head = square_name(arrow.head);
    for (std::string* name : {&tail, &head}) (*name)[0] = char((*name)[0] - 'a' + 'A');
    return PyUnicode_FromFormat("Arrow(%s, %s, color='%s')", tail.c_str(), head.c_str(),
                                std::string(colour_name(arrow.colour)).c_str());
}

PyObject* arrow_richcompare(PyObject* self, PyObject* other, int op) {
    if (!Py_IS_TYPE(other, Py_TYPE(self)) || (op != Py_EQ && op != Py_NE)) Py_RETURN_NOTIMPLEMENTED;
    return PyBool_FromLong((arrow_of(self) == arrow_of(other)) == (op == Py_EQ));
}

Py_hash_t arrow_hash(PyObject* self) {
    const Arrow& arrow = arrow_of(self);
    return Py_hash_t(arrow.tail) << 16 | Py_hash_t(arrow.head) << 8 | arrow.colour;
}

// Rebuilt from its text, which holds all of it (the colour is keyword-only in the constructor).
PyObject* arrow_reduce(PyObject* self, PyObject*) {
    const Owned from_pgn(PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(self)), "from_pgn"));
    return from_pgn ? Py_BuildValue("O(N)", from_pgn.get(), to_python(pgn_text(arrow_of(self)))) : nullptr;
}

PyMethodDef methods[] = {
    {"pgn", method_pointer(pgn_method), METH_NOARGS, doc("Arrow.pgn")},
    {"from_pgn", method_pointer(from_pgn_method), METH_FASTCALL | METH_KEYWORDS | METH_CLASS, doc("Arrow.from_pgn")},
    {"__reduce__", method_pointer(arrow_reduce), METH_NOARGS, doc("Arrow.__reduce__")},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef attributes[] = {
    {"tail", get_tail, nullptr, doc("Arrow.tail"), nullptr},
    {"head", get_head, nullptr, doc("Arrow.head"), nullptr},
    {"color", get_color, nullptr, doc("Arrow.color"), nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot slots[] = {
    {Py_tp_doc, const_cast<char*>(doc("Arrow"))},
    {Py_tp_new, reinterpret_cast<void*>(arrow_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc_object<Arrow>)},
    {Py_tp_repr, reinterpret_cast<void*>(arrow_repr)},
    {Py_tp_str, reinterpret_cast<void*>(pgn_method)},
    {Py_tp_richcompare, reinterpret_cast<void*>(arrow_richcompare)},
    {Py_tp_hash, reinterpret_cast<void*>(arrow_hash)},
    {Py_tp_methods, methods},
    {Py_tp_getset, attributes},
    {0, nullptr},
};

PyType_Spec type_spec{"tarvik.Arrow", sizeof(Object<Arrow>), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE, slots};

// An Arrow object, or a (tail, head) pair of squares for a green arrow.
bool to_arrow(PyObject* value, Arrow& out) {
    if (PyObject_TypeCheck(value, the_arrow_type)) {
        out = arrow_of(value);
        return true;
    }
    if (PyTuple_Check(value) && PyTuple_GET_SIZE(value) == 2) {
        out.colour = 'G';
        return convert_argument<SquareParam>("tail", PyTuple_GET_ITEM(value, 0), out.tail) &&
               convert_argument<SquareParam>("head", PyTuple_GET_ITEM(value, 1), out.head);
    }
    cannot_convert(value, "Arrow");
    return false;
}

}  // namespace

PyTypeObject* arrow_type() {
    if (the_arrow_type == nullptr && (the_arrow_type = create_type(type_spec, ClassDoc::kept)) != nullptr) {
        the_arrow_type->tp_vectorcall = arrow_vectorcall;
    }
    return the_arrow_type;
}

void forget_arrow_type() { the_arrow_type = nullptr; }

PyObject* to_python(const game::Arrow& arrow) { return new_object<Arrow>(arrow_type(), arrow); }

bool to_arrows(PyObject* value, std::vector<game::Arrow>& out) {
    if (arrow_type() == nullptr) return false;
    const Owned iterator(PyObject_GetIter(value));
    if (!iterator) return false;
    while (PyObject* item = PyIter_Next(iterator.get())) {
        Arrow arrow;
        const bool read = to_arrow(item, arrow);
        Py_DECREF(item);
        if (!read) return false;
        out.push_back(arrow);
    }
    return !PyErr_Occurred();
}

}  // namespace tarvik::module
