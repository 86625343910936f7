// Board methods and attributes that read the position and the game: what stands
// where, attacks and pins, castling rights, the moves played and the counters.
#include <algorithm>
#include <array>
#include <optional>

#include "../board/attacks.hpp"
#include "../board/castling.hpp"
#include "../board/queries.hpp"
#include "board_methods.hpp"

namespace tarvik::module {
namespace {

// What piece_map() returns: each square as the text form shows it, '.' for none.
struct PieceMap {
    std::array<char, 64> symbols;
};

// {square: letter}, highest square first, as python-chess orders its map. The dict is
// made at its final size: growing it entry by entry costs a third of the call.
PyObject* to_python(PieceMap&& map) {
    const auto pieces = std::count_if(map.symbols.begin(), map.symbols.end(), [](char s) { return s != '.'; });
    PyObject* dict = _PyDict_NewPresized(pieces);
    for (int square = 63; dict != nullptr && square >= 0; --square) {
        if (map.symbols[square] == '.') continue;
        PyObject* key = PyLong_FromLong(square);
        PyObject* letter = key ? module::to_python(map.symbols[square]) : nullptr;
        if (letter == nullptr || PyDict_SetItem(dict, key, letter) < 0) Py_CLEAR(dict);
        Py_XDECREF(key);
        Py_XDECREF(letter);
    }
    return dict;
}

PyObject* piece_at_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"square"};
    static constexpr Signature signature{"Board.piece_at", parameters, 1};
    return board_call<Access::shared, SquareParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, std::uint8_t square) -> std::optional<char> {
            if (const char letter = piece_letter_at(board.position, square)) return letter;
            return std::nullopt;
        });
}

PyObject* piece_map_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self,
        [](tarvik::Board& board) { return PieceMap{square_symbols(board.position)}; });
}

PyObject* king_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"color"};
    static constexpr Signature signature{"Board.king", parameters, 1};
    return board_call<Access::shared, BoolParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, bool white) -> std::optional<std::int64_t> {
            if (const std::optional<Square> king = king_square(board.position, white)) return *king;
            return std::nullopt;
        });
}

PyObject* attackers_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"color", "square"};
    static constexpr Signature signature{"Board.attackers", parameters, 2};
    return board_call<Access::shared, BoolParam, SquareParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, bool white, std::uint8_t square) {
            return attackers(board.position, white, square, occupied(board.position));
        });
}

PyObject* attacks_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"square"};
    static constexpr Signature signature{"Board.attacks", parameters, 1};
    return board_call<Access::shared, SquareParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, std::uint8_t square) { return attacks_from(board.position, square); });
}

PyObject* checkers_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self, [](tarvik::Board& board) { return checkers(board.position); });
}

// A question about the side of `color` and a square, as a method.
template <auto answer, const char* name>
PyObject* side_and_square_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"color", "square"};
    static constexpr Signature signature{name, parameters, 2};
    return board_call<Access::shared, BoolParam, SquareParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, bool white, std::uint8_t square) { return answer(board.position, white, square); });
}

bool is_pinned(const Position& position, bool white, Square square) {
    return pin_line(position, white, square) != ~Bitboard{0};
}

constexpr char IS_PINNED[] = "Board.is_pinned";
constexpr char PIN[] = "Board.pin";

// Whether the side may still castle to a wing by its rights: king and rook at home.
template <std::uint8_t white_wing, std::uint8_t black_wing, const char* name>
PyObject* castling_rights_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"color"};
    static constexpr Signature signature{name, parameters, 1};
    return board_call<Access::shared, BoolParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, bool white) {
            return (castling_wings(board.position, board.castling_field()) & (white ? white_wing : black_wing)) != 0;
        });
}

constexpr char KINGSIDE[] = "Board.has_kingside_castling_rights";
constexpr char QUEENSIDE[] = "Board.has_queenside_castling_rights";

// IndexError on an empty stack, as python-chess's peek() raises it.
PyObject* peek_method(PyObject* self, PyObject*) {
    std::optional<Move> last;
    const bool read = read_record<tarvik::Board>(self, [&](const tarvik::Board& board) {
        if (!board.move_stack.empty()) last = board.move_stack.back();
    });
    if (!read) return nullptr;
    if (!last) {
        PyErr_SetString(PyExc_IndexError, "peek from an empty move stack");
        return nullptr;
    }
    return module::to_python(*last);  // past the local overload
}

PyObject* ply_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self, [](tarvik::Board& board) {
        const Position& position = board.position;
        return 2 * (std::int64_t{position.full_move_number} - 1) + (position.turn ? 0 : 1);
    });
}

PyObject* get_move_stack(PyObject* self, void*) {
    return get_computed<tarvik::Board>(self, [](const tarvik::Board& board) { return board.move_stack; });
}

PyObject* get_halfmove_clock(PyObject* self, void*) {
    return get_computed<tarvik::Board>(
        self, [](const tarvik::Board& board) { return std::uint64_t{board.position.half_move_clock}; });
}

PyObject* get_fullmove_number(PyObject* self, void*) {
    return get_computed<tarvik::Board>(
        self, [](const tarvik::Board& board) { return std::uint64_t{board.position.full_move_number}; });
}

PyObject* get_ep_square(PyObject* self, void*) {
    return get_computed<tarvik::Board>(self, [](const tarvik::Board& board) -> std::optional<std::uint64_t> {
        if (board.position.en_passant) return *board.position.en_passant;
        return std::nullopt;
    });
}

const PyMethodDef methods[] = {
    {"piece_at", method_pointer(piece_at_method), WITH_ARGUMENTS, doc("Board.piece_at")},
    {"piece_map", method_pointer(piece_map_method), NO_ARGUMENTS, doc("Board.piece_map")},
    {"king", method_pointer(king_method), WITH_ARGUMENTS, doc("Board.king")},
    {"attackers", method_pointer(attackers_method), WITH_ARGUMENTS, doc("Board.attackers")},
    {"attacks", method_pointer(attacks_method), WITH_ARGUMENTS, doc("Board.attacks")},
    {"checkers", method_pointer(checkers_method), NO_ARGUMENTS, doc("Board.checkers")},
    {"is_pinned", method_pointer(side_and_square_method<is_pinned, IS_PINNED>), WITH_ARGUMENTS,
     doc("Board.is_pinned")},
    {"pin", method_pointer(side_and_square_method<pin_line, PIN>), WITH_ARGUMENTS, doc("Board.pin")},
    {"has_kingside_castling_rights",
     method_pointer(castling_rights_method<WHITE_KING_SIDE, BLACK_KING_SIDE, KINGSIDE>), WITH_ARGUMENTS,
     doc("Board.has_kingside_castling_rights")},
    {"has_queenside_castling_rights",
     method_pointer(castling_rights_method<WHITE_QUEEN_SIDE, BLACK_QUEEN_SIDE, QUEENSIDE>), WITH_ARGUMENTS,
     doc("Board.has_queenside_castling_rights")},
    {"peek", method_pointer(peek_method), NO_ARGUMENTS, doc("Board.peek")},
    {"ply", method_pointer(ply_method), NO_ARGUMENTS, doc("Board.ply")},
};

const PyGetSetDef attributes[] = {
    {"move_stack", get_move_stack, nullptr, doc("Board.move_stack"), nullptr},
    {"halfmove_clock", get_halfmove_clock, nullptr, doc("Board.halfmove_clock"), nullptr},
    {"fullmove_number", get_fullmove_number, nullptr, doc("Board.fullmove_number"), nullptr},
    {"ep_square", get_ep_square, nullptr, doc("Board.ep_square"), nullptr},
};

}  // namespace

std::span<const PyMethodDef> query_board_methods() { return methods; }
std::span<const PyGetSetDef> game_board_attributes() { return attributes; }

}  // namespace tarvik::module
