// Board methods that tell what a move is and write moves down: pseudo-legality, the
// kinds of moves python-chess names, check, long algebraic notation and lines in SAN.
#include <vector>

#include "../board/move_kinds.hpp"
#include "../board/notation.hpp"
#include "board_methods.hpp"

namespace tarvik::module {
namespace {

constexpr const char* MOVE[] = {"move"};

// A question about one move, as a method; the position alone answers it.
template <bool (*answer)(const Position&, const Move&), const char* name>
PyObject* position_move_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Signature signature{name, MOVE, 1};
    return board_call<Access::shared, MoveParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, const Move& move) { return answer(board.position, move); });
}

// The same for the questions that also need the castling rights or the game.
template <auto answer, const char* name>
PyObject* board_move_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr Signature signature{name, MOVE, 1};
    return board_call<Access::shared, MoveParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, const Move& move) { return answer(board, move); });
}

constexpr char IS_PSEUDO_LEGAL[] = "Board.is_pseudo_legal";
constexpr char IS_CAPTURE[] = "Board.is_capture";
constexpr char IS_EN_PASSANT[] = "Board.is_en_passant";
constexpr char IS_CASTLING[] = "Board.is_castling";
constexpr char IS_KINGSIDE_CASTLING[] = "Board.is_kingside_castling";
constexpr char IS_QUEENSIDE_CASTLING[] = "Board.is_queenside_castling";
constexpr char IS_ZEROING[] = "Board.is_zeroing";
constexpr char IS_IRREVERSIBLE[] = "Board.is_irreversible";
constexpr char GIVES_CHECK[] = "Board.gives_check";
constexpr char LAN[] = "Board.lan";

PyObject* variation_san_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"moves"};
    static constexpr Signature signature{"Board.variation_san", parameters, 1};
    // Shared: iterating the moves may run Python code that reads this board.
    return board_call<Access::shared, MovesParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, const std::vector<Move>& moves) { return variation_san(board, moves); });
}

const PyMethodDef methods[] = {
    {"is_pseudo_legal", method_pointer(board_move_method<is_pseudo_legal, IS_PSEUDO_LEGAL>), WITH_ARGUMENTS,
     doc("Board.is_pseudo_legal")},
    {"is_capture", method_pointer(position_move_method<is_capture, IS_CAPTURE>), WITH_ARGUMENTS,
     doc("Board.is_capture")},
    {"is_en_passant", method_pointer(position_move_method<is_en_passant, IS_EN_PASSANT>), WITH_ARGUMENTS,
     doc("Board.is_en_passant")},
    {"is_castling", method_pointer(position_move_method<is_castling, IS_CASTLING>), WITH_ARGUMENTS,
     doc("Board.is_castling")},
    {"is_kingside_castling", method_pointer(position_move_method<is_kingside_castling, IS_KINGSIDE_CASTLING>),
     WITH_ARGUMENTS, doc("Board.is_kingside_castling")},
    {"is_queenside_castling", method_pointer(position_move_method<is_queenside_castling, IS_QUEENSIDE_CASTLING>),
     WITH_ARGUMENTS, doc("Board.is_queenside_castling")},
    {"is_zeroing", method_pointer(position_move_method<is_zeroing, IS_ZEROING>), WITH_ARGUMENTS,
     doc("Board.is_zeroing")},
    {"is_irreversible", method_pointer(board_move_method<is_irreversible, IS_IRREVERSIBLE>), WITH_ARGUMENTS,
     doc("Board.is_irreversible")},
    {"gives_check", method_pointer(position_move_method<gives_check, GIVES_CHECK>), WITH_ARGUMENTS,
     doc("Board.gives_check")},
    {"lan", method_pointer(board_move_method<lan, LAN>), WITH_ARGUMENTS, doc("Board.lan")},
    {"variation_san", method_pointer(variation_san_method), WITH_ARGUMENTS, doc("Board.variation_san")},
};

}  // namespace

std::span<const PyMethodDef> move_kind_board_methods() { return methods; }

}  // namespace tarvik::module
