// Board methods for EPD: the position with operations written out, and a board set
// up from EPD text with its operations read back as Python values.
#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <vector>

#include "../board/epd.hpp"
#include "board_methods.hpp"

namespace tarvik::module {
namespace {

using Kind = EpdOperand::Kind;
using Operations = std::vector<EpdOperation>;

// Python's own text for a value: format(value, "") for numbers, as an f-string
// writes them, and str() for the rest.
bool python_text(PyObject* text_object, std::string& out) {
    const Owned text(text_object);
    return text && to_text(text.get(), out);
}

// One operand as python-chess writes it, in the order it asks: None, a Move, an int
// (bool included), a finite float, a line of moves for pv, a set of moves for am and
// bm, and str() of anything else.
bool to_operand(std::string_view opcode, PyObject* value, EpdOperand& out) {
    if (value == Py_None) return true;
    if (PyObject_TypeCheck(value, move_type())) {
        out.kind = Kind::move;
        return to_move(value, out.moves.emplace_back());
    }
    if (PyLong_Check(value) || PyFloat_Check(value)) {
        if (PyFloat_Check(value) && !std::isfinite(PyFloat_AS_DOUBLE(value))) {
            PyErr_Format(PyExc_ValueError, "expected numeric epd operand to be finite, got: %R", value);
            return false;
        }
        out.kind = PyLong_Check(value) ? Kind::integer : Kind::real;
        const Owned format(PyUnicode_FromString(""));
        return format && python_text(PyObject_Format(value, format.get()), out.text);
    }
    const bool listed = !PyUnicode_Check(value) && PyObject_HasAttrString(value, "__iter__");
    if (listed && (opcode == "pv" || opcode == "am" || opcode == "bm")) {
        out.kind = opcode == "pv" ? Kind::variation : Kind::move_set;
        return to_moves(value, out.moves);
    }
    out.kind = Kind::text;
    return python_text(PyObject_Str(value), out.text);
}

// The keyword arguments that are not options, {opcode: operand}, in the order given.
bool to_operations(PyObject* value, Operations& out) {
    PyObject* opcode;
    PyObject* operand;
    for (Py_ssize_t at = 0; PyDict_Next(value, &at, &opcode, &operand);) {
        EpdOperation& operation = out.emplace_back();
        if (!to_text(opcode, operation.opcode) || !to_operand(operation.opcode, operand, operation.operand)) {
            return false;
        }
    }
    return true;
}

using OperationsParam = Param<Operations, to_operations>;

bool to_en_passant_shown(PyObject* value, EnPassantShown& out) {
    std::string text;
    if (!to_text(value, text)) return false;
    constexpr std::array<std::pair<std::string_view, EnPassantShown>, 3> choices{
        {{"legal", EnPassantShown::legal}, {"xfen", EnPassantShown::xfen}, {"fen", EnPassantShown::fen}}};
    for (const auto& [name, shown] : choices) {
        if (text == name) {
            out = shown;
            return true;
        }
    }
    PyErr_Format(PyExc_ValueError, "en_passant must be 'legal', 'xfen' or 'fen', not %R", value);
    return false;
}

// None, as python-chess reads it, is "legal", the default.
using EnPassantParam = Optional<Param<EnPassantShown, to_en_passant_shown>>;

constexpr std::array<std::string_view, 3> OPTIONS{"shredder", "en_passant", "promoted"};

// epd(*, shredder=False, en_passant="legal", promoted=None, **operations): the options
// are bound by name, and every other keyword travels in one dict as "operations", in
// the order given.
PyObject* epd_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"shredder", "en_passant", "promoted", "operations"};
    static constexpr Signature signature{"Board.epd", parameters, 0, 4};
    const Owned operations(PyDict_New());
    const Owned names(PyList_New(0));
    if (!operations || !names) return nullptr;
    std::vector<PyObject*> bound(args, args + nargs);
    const Py_ssize_t keywords = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
    for (Py_ssize_t i = 0; i < keywords; ++i) {
        PyObject* name = PyTuple_GET_ITEM(kwnames, i);
        const char* text = PyUnicode_AsUTF8(name);
        if (text == nullptr) return nullptr;
        const bool option = std::find(OPTIONS.begin(), OPTIONS.end(), text) != OPTIONS.end();
        if (option ? PyList_Append(names.get(), name) < 0
                   : PyDict_SetItem(operations.get(), name, args[nargs + i]) < 0) {
            return nullptr;
        }
        if (option) bound.push_back(args[nargs + i]);
    }
    const Owned operations_name(PyUnicode_FromString("operations"));
    if (!operations_name || PyList_Append(names.get(), operations_name.get()) < 0) return nullptr;
    bound.push_back(operations.get());
    const Owned bound_names(PyList_AsTuple(names.get()));
    if (!bound_names) return nullptr;
    return board_call<Access::shared, TruthParam, EnPassantParam, TruthParam, OperationsParam>(
        self, signature, bound.data(), nargs, bound_names.get(),
        [](tarvik::Board& board, bool shredder, std::optional<EnPassantShown> en_passant, bool,
           const Operations& operations) {
            // The board records no promotions: `promoted` has no "~" to add.
            return write_epd(board, shredder, en_passant.value_or(EnPassantShown::legal), operations);
        });
}

// {opcode: operand}: None, int, float, str, Move, or a list of moves for pv, am and bm.
struct OperationValues {
    Operations operations;
};

PyObject* operand_object(const EpdOperand& operand) {
    switch (operand.kind) {
        case Kind::none: return Py_NewRef(Py_None);
        case Kind::integer: return PyLong_FromString(operand.text.c_str(), nullptr, 10);
        case Kind::real: return PyFloat_FromDouble(operand.real);
        case Kind::text: return module::to_python(operand.text);
        case Kind::move: return module::to_python(operand.moves.front());
        case Kind::variation:
        case Kind::move_set: return module::to_python(operand.moves);
    }
    return nullptr;
}

PyObject* to_python(OperationValues&& values) {
    PyObject* dict = PyDict_New();
    for (const EpdOperation& operation : values.operations) {
        if (dict == nullptr) break;
        const Owned opcode(module::to_python(operation.opcode));
        const Owned value(opcode ? operand_object(operation.operand) : nullptr);
        if (!value || PyDict_SetItem(dict, opcode.get(), value.get()) < 0) Py_CLEAR(dict);
    }
    return dict;
}

// from_epd's (board, operations).
struct BoardAndOperations {
    tarvik::Board board;
    OperationValues values;
};

PyObject* to_python(BoardAndOperations&& result) {
    PyObject* board = module::to_python(std::move(result.board));
    PyObject* values = board ? to_python(std::move(result.values)) : nullptr;
    PyObject* pair = values ? PyTuple_Pack(2, board, values) : nullptr;
    Py_XDECREF(board);
    Py_XDECREF(values);
    return pair;
}

constexpr const char* EPD[] = {"epd"};

PyObject* set_epd_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Signature signature{"Board.set_epd", EPD, 1};
    return board_call<Access::exclusive, TextParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, const std::string& text) {
            Epd epd = read_epd(text);
            board = std::move(epd.board);
            return OperationValues{std::move(epd.operations)};
        });
}

PyObject* from_epd_method(PyObject*, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Signature signature{"Board.from_epd", EPD, 1};
    return call_function<TextParam>(signature, args, nargs, kwnames, [](const std::string& text) {
        Epd epd = read_epd(text);
        return BoardAndOperations{std::move(epd.board), {std::move(epd.operations)}};
    });
}

const PyMethodDef methods[] = {
    {"epd", method_pointer(epd_method), WITH_ARGUMENTS, doc("Board.epd")},
    {"set_epd", method_pointer(set_epd_method), WITH_ARGUMENTS, doc("Board.set_epd")},
    {"from_epd", method_pointer(from_epd_method), WITH_ARGUMENTS | METH_CLASS, doc("Board.from_epd")},
};

}  // namespace

std::span<const PyMethodDef> epd_board_methods() { return methods; }

}  // namespace tarvik::module
