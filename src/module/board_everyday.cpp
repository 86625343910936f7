// The everyday Board methods beyond the core: FEN out, UCI and SAN, copies and
// pickles, Polyglot keys, the draw rules and perft.
#include "../board/apply.hpp"
#include "../board/draws.hpp"
#include "../board/fen.hpp"
#include "../board/legal.hpp"
#include "../board/notation.hpp"
#include "../board/perft.hpp"
#include "../board/serialize.hpp"
#include "../board/zobrist.hpp"
#include "board_methods.hpp"

namespace tarvik::module {
namespace {

PyObject* to_fen_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self, [](tarvik::Board& board) { return to_fen(board); });
}

PyObject* copy_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self, [](tarvik::Board& board) { return tarvik::Board(board); });
}

PyObject* deepcopy_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"memo"};
    static constexpr Signature signature{"Board.__deepcopy__", parameters, 1};
    // A board holds no Python objects, so the memo has nothing to share.
    return board_call<Access::shared, AnyParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, PyObject*) { return tarvik::Board(board); });
}

PyObject* is_legal_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"move"};
    static constexpr Signature signature{"Board.is_legal", parameters, 1};
    return board_call<Access::shared, MoveParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, const Move& move) { return is_legal_move(board.position, board.castling_field(), move); });
}

PyObject* push_uci_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"uci"};
    static constexpr Signature signature{"Board.push_uci", parameters, 1};
    return board_call<Access::exclusive, TextParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, const std::string& text) {
            const Move move = legal_move_from_uci(board, text);
            apply_move(board, move);
            return move;
        });
}

PyObject* san_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"move"};
    static constexpr Signature signature{"Board.san", parameters, 1};
    return board_call<Access::shared, MoveParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, const Move& move) { return san(board, move); });
}

PyObject* parse_san_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"san"};
    static constexpr Signature signature{"Board.parse_san", parameters, 1};
    return board_call<Access::shared, TextParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, const std::string& text) { return legal_move_from_san(board, text); });
}

PyObject* push_san_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"san"};
    static constexpr Signature signature{"Board.push_san", parameters, 1};
    return board_call<Access::exclusive, TextParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, const std::string& text) {
            const Move move = legal_move_from_san(board, text);
            apply_move(board, move);
            return move;
        });
}

PyObject* zobrist_hash_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self, [](tarvik::Board& board) {
        return zobrist_hash(board.position, board.castling_field());
    });
}

PyObject* is_repetition_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"count"};
    static constexpr Signature signature{"Board.is_repetition", parameters, 0};
    return board_call<Access::shared, Defaulted<CountParam, 3LL>>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, long long count) { return is_repetition(board, count); });
}

template <std::uint32_t half_moves>
PyObject* clock_draw_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self, [](tarvik::Board& board) {
        return is_clock_draw(board.position, board.castling_field(), half_moves);
    });
}

PyObject* is_fivefold_repetition_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self, [](tarvik::Board& board) { return is_repetition(board, 5); });
}

PyObject* is_insufficient_material_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self, [](tarvik::Board& board) {
        return is_insufficient_material(board.position);
    });
}

PyObject* perft_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"depth"};
    static constexpr Signature signature{"Board.perft", parameters, 1};
    return board_call<Access::shared, DepthParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, std::uint32_t depth) { return perft(board.position, board.castling_field(), depth); });
}

PyObject* reduce_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self, [](tarvik::Board& board) {
        return PickledBoard{board.fen(), serialize_game(board)};
    });
}

PyObject* setstate_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"state"};
    static constexpr Signature signature{"Board.__setstate__", parameters, 1};
    return board_call<Access::exclusive, BytesParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, const std::string& state) { deserialize_game(board, state); });
}

const PyMethodDef methods[] = {
    {"to_fen", method_pointer(to_fen_method), NO_ARGUMENTS, doc("Board.to_fen")},
    {"copy", method_pointer(copy_method), NO_ARGUMENTS, doc("Board.copy")},
    {"is_legal", method_pointer(is_legal_method), WITH_ARGUMENTS, doc("Board.is_legal")},
    {"push_uci", method_pointer(push_uci_method), WITH_ARGUMENTS, doc("Board.push_uci")},
    {"san", method_pointer(san_method), WITH_ARGUMENTS, doc("Board.san")},
    {"parse_san", method_pointer(parse_san_method), WITH_ARGUMENTS, doc("Board.parse_san")},
    {"push_san", method_pointer(push_san_method), WITH_ARGUMENTS, doc("Board.push_san")},
    {"zobrist_hash", method_pointer(zobrist_hash_method), NO_ARGUMENTS, doc("Board.zobrist_hash")},
    {"is_repetition", method_pointer(is_repetition_method), WITH_ARGUMENTS, doc("Board.is_repetition")},
    {"is_fifty_moves", method_pointer(clock_draw_method<100>), NO_ARGUMENTS, doc("Board.is_fifty_moves")},
    {"is_seventyfive_moves", method_pointer(clock_draw_method<150>), NO_ARGUMENTS, doc("Board.is_seventyfive_moves")},
    {"is_fivefold_repetition", method_pointer(is_fivefold_repetition_method), NO_ARGUMENTS,
     doc("Board.is_fivefold_repetition")},
    {"is_insufficient_material", method_pointer(is_insufficient_material_method), NO_ARGUMENTS,
     doc("Board.is_insufficient_material")},
    {"perft", method_pointer(perft_method), WITH_ARGUMENTS, doc("Board.perft")},
    {"__copy__", method_pointer(copy_method), NO_ARGUMENTS, doc("Board.__copy__")},
    {"__deepcopy__", method_pointer(deepcopy_method), WITH_ARGUMENTS, doc("Board.__deepcopy__")},
    {"__reduce__", method_pointer(reduce_method), NO_ARGUMENTS, doc("Board.__reduce__")},
    {"__setstate__", method_pointer(setstate_method), WITH_ARGUMENTS, doc("Board.__setstate__")},
};

}  // namespace

std::span<const PyMethodDef> everyday_board_methods() { return methods; }

}  // namespace tarvik::module
