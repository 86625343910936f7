// Board methods that draw the position: Unicode text for terminals, SVG for
// browsers and notebooks (Jupyter shows a board through _repr_svg_).
#include <utility>
#include <vector>

#include "../picture/svg_picture.hpp"
#include "../picture/unicode_picture.hpp"
#include "board_methods.hpp"

namespace tarvik::module {
namespace {

struct EmptySquareParam : TextParam {
    static std::string initial() { return "\u2b58"; }
};

// An integer 0..2**32-1, or None for none.
using OptionalSquareParam = Optional<Uint32Param>;
using SizeParam = Defaulted<OptionalSquareParam, std::uint32_t{390}>;

using OptionalMoveParam = Optional<MoveParam>;

using Arrows = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

// Any iterable of (tail, head) pairs of squares.
bool to_arrow(PyObject* item, std::pair<std::uint32_t, std::uint32_t>& out) {
    const Owned pair(PySequence_Fast(item, "an arrow must be a (tail, head) pair of squares"));
    if (!pair) return false;
    if (PySequence_Fast_GET_SIZE(pair.get()) != 2) {
        PyErr_Format(PyExc_ValueError, "an arrow must be a (tail, head) pair of squares, not %zd items",
                     PySequence_Fast_GET_SIZE(pair.get()));
        return false;
    }
    return to_uint32(PySequence_Fast_GET_ITEM(pair.get(), 0), out.first) &&
           to_uint32(PySequence_Fast_GET_ITEM(pair.get(), 1), out.second);
}

bool to_arrows(PyObject* value, Arrows& out) {
    const Owned iterator(PyObject_GetIter(value));
    if (!iterator) return false;
    while (PyObject* item = PyIter_Next(iterator.get())) {
        const Owned arrow(item);
        if (!to_arrow(item, out.emplace_back())) return false;
    }
    return !PyErr_Occurred();
}
using ArrowsParam = Param<Arrows, to_arrows>;

PyObject* unicode_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"invert_color", "borders", "empty_square", "orientation"};
    static constexpr Signature signature{"Board.unicode", parameters, 0, 4};
    return board_call<Access::shared, BoolParam, BoolParam, EmptySquareParam, TrueParam>(
        self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, bool invert_color, bool borders, const std::string& empty_square, bool orientation) {
            return unicode_picture(board.position, {invert_color, borders, empty_square, orientation});
        });
}

PyObject* svg_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"size", "flipped", "lastmove", "check", "arrows", "coordinates"};
    static constexpr Signature signature{"Board.svg", parameters, 0, 6};
    return board_call<Access::shared, SizeParam, BoolParam, OptionalMoveParam, OptionalSquareParam, ArrowsParam,
                      TrueParam>(
        self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, std::optional<std::uint32_t> size, bool flipped, std::optional<Move> lastmove,
           std::optional<std::uint32_t> check, Arrows arrows, bool coordinates) {
            return board_svg(board.position, {size, flipped, lastmove, check, std::move(arrows), coordinates});
        });
}

PyObject* repr_svg_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self, [](tarvik::Board& board) { return notebook_svg(board); });
}

const PyMethodDef methods[] = {
    {"unicode", method_pointer(unicode_method), WITH_ARGUMENTS, doc("Board.unicode")},
    {"svg", method_pointer(svg_method), WITH_ARGUMENTS, doc("Board.svg")},
    {"_repr_svg_", method_pointer(repr_svg_method), NO_ARGUMENTS, doc("Board._repr_svg_")},
};

}  // namespace

std::span<const PyMethodDef> picture_board_methods() { return methods; }

}  // namespace tarvik::module
