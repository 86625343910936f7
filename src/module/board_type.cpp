// The Board class: one game position with its FEN text and undo stacks. Every
// method is one engine step behind the boundary. This file holds the class and its
// core methods; the other board_*.cpp files add theirs (board_methods.hpp).
#include <vector>

#include "../board/apply.hpp"
#include "../board/attacks.hpp"
#include "../board/castling.hpp"
#include "../board/fen.hpp"
#include "../board/legal.hpp"
#include "../board/movegen.hpp"
#include "../board/pieces.hpp"
#include "board_methods.hpp"

namespace tarvik::module {
namespace {

PyTypeObject* the_board_type = nullptr;

// The class cannot be subclassed, so the new object is always a plain Board.
PyObject* board_vectorcall(PyObject*, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"starting_fen"};
    static constexpr Signature signature{"Board.__new__", parameters, 0};
    return call_function<OptionalTextParam>(signature, args, PyVectorcall_NARGS(nargsf), kwnames,
        [](std::optional<std::string> fen) { return board_from_fen(fen ? std::move(*fen) : std::string(DEFAULT_FEN)); });
}

PyObject* board_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) { return new_from_tuple(type, args, kwargs); }

PyObject* text_form(PyObject* self) {
    return get_attribute<tarvik::Board>(self, [](const tarvik::Board& board) {
        const std::string text = board_text(board.position);
        return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
    });
}

PyObject* get_turn(PyObject* self, void*) {
    return get_attribute<tarvik::Board>(self, [](const tarvik::Board& board) { return PyBool_FromLong(board.position.turn); });
}

int set_turn(PyObject* self, PyObject* value, void*) {
    return set_attribute<tarvik::Board, Param<bool, to_bool>>(
        self, value, "turn", [](tarvik::Board& board, bool turn) { board.position.turn = turn; });
}

// ---- the methods, in the order of the method table

PyObject* set_board_method(PyObject* self, PyObject*) {
    return board_call<Access::exclusive>(self, [](tarvik::Board& board) { set_board(board); });
}

PyObject* get_pieces_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"piece_type"};
    static constexpr Signature signature{"Board.get_pieces", parameters, 1};
    return board_call<Access::shared, CharParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, char32_t piece_type) { return get_pieces(board.position, piece_type); });
}

PyObject* set_pieces_or_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"piece_type", "bitboard"};
    static constexpr Signature signature{"Board.set_pieces_or", parameters, 2};
    return board_call<Access::exclusive, CharParam, BitboardParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, char32_t piece_type, Bitboard bitboard) {
            set_pieces_or(board.position, piece_type, bitboard);
        });
}

PyObject* set_pieces_xor_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"piece_type", "bitboard"};
    static constexpr Signature signature{"Board.set_pieces_xor", parameters, 2};
    return board_call<Access::exclusive, CharParam, BitboardParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, char32_t piece_type, Bitboard bitboard) {
            set_pieces_xor(board.position, piece_type, bitboard);
        });
}

// A generator of the side to move, as a method returning a new list.
template <Access kind, void (*generate)(const Position&, MoveList&)>
PyObject* generator_method(PyObject* self, PyObject*) {
    return board_call<kind>(self, [](tarvik::Board& board, MoveList& moves) { generate(board.position, moves); });
}

PyObject* is_attacked_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"square"};
    static constexpr Signature signature{"Board._is_attacked", parameters, 1};
    return board_call<Access::exclusive, Uint8Param>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, std::uint8_t square) { return is_attacked(board.position, square); });
}

PyObject* is_check_method(PyObject* self, PyObject*) {
    return board_call<Access::exclusive>(self, [](tarvik::Board& board) { return is_check(board.position); });
}

PyObject* castling_moves_method(PyObject* self, PyObject*) {
    return board_call<Access::exclusive>(self, [](tarvik::Board& board, MoveList& moves) {
        castling_moves(board.position, board.castling_field(), moves);
    });
}

PyObject* legal_moves_method(PyObject* self, PyObject*) {
    return board_call<Access::exclusive>(self, [](tarvik::Board& board, MoveList& moves) {
        legal_moves(board.position, board.castling_field(), moves);
    });
}

PyObject* reset_half_move_clock_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"from_mask", "to_mask"};
    static constexpr Signature signature{"Board._reset_half_move_clock", parameters, 2};
    return board_call<Access::shared, BitboardParam, BitboardParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, Bitboard from_mask, Bitboard to_mask) {
            return reset_half_move_clock(board.position, from_mask, to_mask);
        });
}

PyObject* check_castling_rights_method(PyObject* self, PyObject*) {
    return board_call<Access::shared>(self, [](tarvik::Board& board) { return check_castling_rights(board.position); });
}

PyObject* remove_castling_rights_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"id"};
    static constexpr Signature signature{"Board._remove_castling_rights", parameters, 1};
    return board_call<Access::exclusive, CharParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, char32_t id) { remove_castling_rights(board.position, id); });
}

PyObject* apply_move_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"mov"};
    static constexpr Signature signature{"Board.apply_move", parameters, 1};
    return board_call<Access::exclusive, MoveParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, const Move& move) { apply_move(board, move); });
}

// A game-end test, as a method returning a bool.
template <bool (*test)(const Position&, const CastlingField&)>
PyObject* game_end_method(PyObject* self, PyObject*) {
    return board_call<Access::exclusive>(self, [](tarvik::Board& board) { return test(board.position, board.castling_field()); });
}

PyObject* restore_method(PyObject* self, Arguments args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"board_state"};
    static constexpr Signature signature{"Board._restore", parameters, 1};
    return board_call<Access::exclusive, BoardStateParam>(self, signature, args, nargs, kwnames,
        [](tarvik::Board& board, const BoardState& state) { restore_state(board, state); });
}

PyObject* pop_method(PyObject* self, PyObject*) {
    return board_call<Access::exclusive>(self, [](tarvik::Board& board) { return pop(board); });
}

const PyMethodDef methods[] = {
    {"set_board", method_pointer(set_board_method), NO_ARGUMENTS, doc("Board.set_board")},
    {"get_pieces", method_pointer(get_pieces_method), WITH_ARGUMENTS, doc("Board.get_pieces")},
    {"set_pieces_or", method_pointer(set_pieces_or_method), WITH_ARGUMENTS,
     doc("Board.set_pieces_or")},
    {"set_pieces_xor", method_pointer(set_pieces_xor_method), WITH_ARGUMENTS,
     doc("Board.set_pieces_xor")},
    {"pawn_moves", method_pointer(generator_method<Access::exclusive, pawn_moves>), NO_ARGUMENTS,
     doc("Board.pawn_moves")},
    {"knight_moves", method_pointer(generator_method<Access::shared, knight_moves>), NO_ARGUMENTS,
     doc("Board.knight_moves")},
    {"king_moves", method_pointer(generator_method<Access::shared, king_moves>), NO_ARGUMENTS,
     doc("Board.king_moves")},
    {"bishop_moves", method_pointer(generator_method<Access::shared, bishop_moves>), NO_ARGUMENTS,
     doc("Board.bishop_moves")},
    {"rook_moves", method_pointer(generator_method<Access::shared, rook_moves>), NO_ARGUMENTS,
     doc("Board.rook_moves")},
    {"queen_moves", method_pointer(generator_method<Access::shared, queen_moves>), NO_ARGUMENTS,
     doc("Board.queen_moves")},
    {"pseudo_legal_moves", method_pointer(generator_method<Access::exclusive, pseudo_legal_moves>), NO_ARGUMENTS,
     doc("Board.pseudo_legal_moves")},
    {"_is_attacked", method_pointer(is_attacked_method), WITH_ARGUMENTS, doc("Board._is_attacked")},
    {"is_check", method_pointer(is_check_method), NO_ARGUMENTS, doc("Board.is_check")},
    {"_castling_moves", method_pointer(castling_moves_method), NO_ARGUMENTS, doc("Board._castling_moves")},
    {"legal_moves", method_pointer(legal_moves_method), NO_ARGUMENTS, doc("Board.legal_moves")},
    {"_reset_half_move_clock", method_pointer(reset_half_move_clock_method), WITH_ARGUMENTS,
     doc("Board._reset_half_move_clock")},
    {"_check_castling_rights", method_pointer(check_castling_rights_method), NO_ARGUMENTS,
     doc("Board._check_castling_rights")},
    {"_remove_castling_rights", method_pointer(remove_castling_rights_method), WITH_ARGUMENTS,
     doc("Board._remove_castling_rights")},
    {"apply_move", method_pointer(apply_move_method), WITH_ARGUMENTS, doc("Board.apply_move")},
    {"is_checkmate", method_pointer(game_end_method<is_checkmate>), NO_ARGUMENTS, doc("Board.is_checkmate")},
    {"is_stalemate", method_pointer(game_end_method<is_stalemate>), NO_ARGUMENTS, doc("Board.is_stalemate")},
    {"is_game_over", method_pointer(game_end_method<is_game_over>), NO_ARGUMENTS, doc("Board.is_game_over")},
    {"_restore", method_pointer(restore_method), WITH_ARGUMENTS, doc("Board._restore")},
    {"pop", method_pointer(pop_method), NO_ARGUMENTS, doc("Board.pop")},
};

// Every file's methods in registration order, then the closing sentinel. Built once
// and kept for the process: each runtime's type points into it.
PyMethodDef* method_table() {
    static std::vector<PyMethodDef> table = [] {
        std::vector<PyMethodDef> all;
        for (const std::span<const PyMethodDef> part :
             {core_board_methods(), everyday_board_methods(), picture_board_methods(), query_board_methods(),
              outcome_board_methods(), move_kind_board_methods(), editing_board_methods(), setup_board_methods(),
              epd_board_methods()}) {
            all.insert(all.end(), part.begin(), part.end());
        }
        all.push_back({nullptr, nullptr, 0, nullptr});
        return all;
    }();
    return table.data();
}

// turn, the other files' attributes, then the closing sentinel; built once as the methods are.
PyGetSetDef* attribute_table() {
    static std::vector<PyGetSetDef> table = [] {
        std::vector<PyGetSetDef> all{{"turn", get_turn, set_turn, doc("Board.turn"), nullptr}};
        const std::span<const PyGetSetDef> more = game_board_attributes();
        all.insert(all.end(), more.begin(), more.end());
        all.push_back({nullptr, nullptr, nullptr, nullptr, nullptr});
        return all;
    }();
    return table.data();
}

PyType_Slot slots[] = {
    {Py_tp_doc, const_cast<char*>(doc("Board"))},
    {Py_tp_new, reinterpret_cast<void*>(board_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc_object<tarvik::Board>)},
    {Py_tp_str, reinterpret_cast<void*>(text_form)},
    {Py_tp_repr, reinterpret_cast<void*>(text_form)},
    {Py_tp_methods, nullptr},  // method_table(), filled in before the type is made
    {Py_tp_getset, nullptr},   // attribute_table(), likewise
    {0, nullptr},
};

PyType_Spec type_spec{"builtins.Board", sizeof(Object<tarvik::Board>), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE, slots};

}  // namespace

std::span<const PyMethodDef> core_board_methods() { return methods; }

PyTypeObject* board_type() {
    if (the_board_type != nullptr) return the_board_type;
    for (PyType_Slot& slot : slots) {
        if (slot.slot == Py_tp_methods) slot.pfunc = method_table();
        if (slot.slot == Py_tp_getset) slot.pfunc = attribute_table();
    }
    if ((the_board_type = create_type(type_spec)) != nullptr) {
        the_board_type->tp_vectorcall = board_vectorcall;
    }
    return the_board_type;
}

void forget_board_type() { the_board_type = nullptr; }

bool to_board(PyObject* value, tarvik::Board& out) { return copy_record(value, board_type(), "Board", out); }

PyObject* to_python(tarvik::Board&& board) { return new_object<tarvik::Board>(board_type(), std::move(board)); }

PyObject* to_python(PickledBoard&& pickled) {
    PyObject* arguments = Py_BuildValue("(s#)", pickled.fen.data(), static_cast<Py_ssize_t>(pickled.fen.size()));
    PyObject* state = PyBytes_FromStringAndSize(pickled.state.data(), static_cast<Py_ssize_t>(pickled.state.size()));
    PyObject* reduced = arguments && state ? reduce_to_call("Board", arguments, state) : nullptr;
    Py_XDECREF(arguments);
    Py_XDECREF(state);
    return reduced;
}

}  // namespace tarvik::module
