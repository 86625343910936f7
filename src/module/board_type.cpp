// The Board class: one game position with its FEN text and undo stacks. Every
// method is one engine step behind the boundary; the table below keeps the order
// in which the methods are registered.
#include "../board/apply.hpp"
#include "../board/attacks.hpp"
#include "../board/castling.hpp"
#include "../board/draws.hpp"
#include "../board/fen.hpp"
#include "../board/legal.hpp"
#include "../board/movegen.hpp"
#include "../board/notation.hpp"
#include "../board/perft.hpp"
#include "../board/pieces.hpp"
#include "../board/serialize.hpp"
#include "../board/zobrist.hpp"
#include "board_docs.hpp"
#include "types.hpp"

namespace tarvik::module {
namespace {

PyTypeObject* the_board_type = nullptr;

using Arguments = PyObject* const*;

template <Access kind, class... Params, class Body>
PyObject* board_call(PyObject* self, const Signature& signature, Arguments args, Py_ssize_t nargs, PyObject* kwnames,
                     Body&& body) {
    return call_method<tarvik::Board, kind, Params...>(self, signature, args, nargs, kwnames, std::forward<Body>(body));
}

// Methods without arguments use the interpreter's no-argument form, which
// rejects arguments itself.
template <Access kind, class Body>
PyObject* board_call(PyObject* self, Body&& body) {
    static constexpr Signature no_arguments{"", {}, 0};
    return call_method<tarvik::Board, kind>(self, no_arguments, nullptr, 0, nullptr, std::forward<Body>(body));
}

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
    return board_call<Access::exclusive, Square8Param>(self, signature, args, nargs, kwnames,
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

// ---- beyond the core: text in and out, copies, hashing, draws and perft

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

constexpr int NO_ARGUMENTS = METH_NOARGS;
constexpr int WITH_ARGUMENTS = METH_FASTCALL | METH_KEYWORDS;

PyMethodDef methods[] = {
    {"set_board", method_pointer(set_board_method), NO_ARGUMENTS, "set_board($self)\n--\n\n"},
    {"get_pieces", method_pointer(get_pieces_method), WITH_ARGUMENTS, "get_pieces($self, piece_type)\n--\n\n"},
    {"set_pieces_or", method_pointer(set_pieces_or_method), WITH_ARGUMENTS,
     "set_pieces_or($self, piece_type, bitboard)\n--\n\n"},
    {"set_pieces_xor", method_pointer(set_pieces_xor_method), WITH_ARGUMENTS,
     "set_pieces_xor($self, piece_type, bitboard)\n--\n\n"},
    {"pawn_moves", method_pointer(generator_method<Access::exclusive, pawn_moves>), NO_ARGUMENTS,
     "pawn_moves($self)\n--\n\n"},
    {"knight_moves", method_pointer(generator_method<Access::shared, knight_moves>), NO_ARGUMENTS,
     "knight_moves($self)\n--\n\n"},
    {"king_moves", method_pointer(generator_method<Access::shared, king_moves>), NO_ARGUMENTS,
     "king_moves($self)\n--\n\n"},
    {"bishop_moves", method_pointer(generator_method<Access::shared, bishop_moves>), NO_ARGUMENTS,
     "bishop_moves($self)\n--\n\n"},
    {"rook_moves", method_pointer(generator_method<Access::shared, rook_moves>), NO_ARGUMENTS,
     "rook_moves($self)\n--\n\n"},
    {"queen_moves", method_pointer(generator_method<Access::shared, queen_moves>), NO_ARGUMENTS,
     "queen_moves($self)\n--\n\n"},
    {"pseudo_legal_moves", method_pointer(generator_method<Access::exclusive, pseudo_legal_moves>), NO_ARGUMENTS,
     "pseudo_legal_moves($self)\n--\n\n"},
    {"_is_attacked", method_pointer(is_attacked_method), WITH_ARGUMENTS, "_is_attacked($self, square)\n--\n\n"},
    {"is_check", method_pointer(is_check_method), NO_ARGUMENTS, "is_check($self)\n--\n\n"},
    {"_castling_moves", method_pointer(castling_moves_method), NO_ARGUMENTS, "_castling_moves($self)\n--\n\n"},
    {"legal_moves", method_pointer(legal_moves_method), NO_ARGUMENTS, "legal_moves($self)\n--\n\n"},
    {"_reset_half_move_clock", method_pointer(reset_half_move_clock_method), WITH_ARGUMENTS,
     "_reset_half_move_clock($self, from_mask, to_mask)\n--\n\n"},
    {"_check_castling_rights", method_pointer(check_castling_rights_method), NO_ARGUMENTS,
     "_check_castling_rights($self)\n--\n\n"},
    {"_remove_castling_rights", method_pointer(remove_castling_rights_method), WITH_ARGUMENTS,
     "_remove_castling_rights($self, id)\n--\n\n"},
    {"apply_move", method_pointer(apply_move_method), WITH_ARGUMENTS, "apply_move($self, mov)\n--\n\n"},
    {"is_checkmate", method_pointer(game_end_method<is_checkmate>), NO_ARGUMENTS, "is_checkmate($self)\n--\n\n"},
    {"is_stalemate", method_pointer(game_end_method<is_stalemate>), NO_ARGUMENTS, "is_stalemate($self)\n--\n\n"},
    {"is_game_over", method_pointer(game_end_method<is_game_over>), NO_ARGUMENTS, "is_game_over($self)\n--\n\n"},
    {"_restore", method_pointer(restore_method), WITH_ARGUMENTS, "_restore($self, board_state)\n--\n\n"},
    {"pop", method_pointer(pop_method), NO_ARGUMENTS, "pop($self)\n--\n\n"},
    {"to_fen", method_pointer(to_fen_method), NO_ARGUMENTS, TO_FEN_DOC},
    {"copy", method_pointer(copy_method), NO_ARGUMENTS, COPY_DOC},
    {"is_legal", method_pointer(is_legal_method), WITH_ARGUMENTS, IS_LEGAL_DOC},
    {"push_uci", method_pointer(push_uci_method), WITH_ARGUMENTS, PUSH_UCI_DOC},
    {"san", method_pointer(san_method), WITH_ARGUMENTS, SAN_DOC},
    {"parse_san", method_pointer(parse_san_method), WITH_ARGUMENTS, PARSE_SAN_DOC},
    {"push_san", method_pointer(push_san_method), WITH_ARGUMENTS, PUSH_SAN_DOC},
    {"zobrist_hash", method_pointer(zobrist_hash_method), NO_ARGUMENTS, ZOBRIST_HASH_DOC},
    {"is_repetition", method_pointer(is_repetition_method), WITH_ARGUMENTS, IS_REPETITION_DOC},
    {"is_fifty_moves", method_pointer(clock_draw_method<100>), NO_ARGUMENTS, IS_FIFTY_MOVES_DOC},
    {"is_seventyfive_moves", method_pointer(clock_draw_method<150>), NO_ARGUMENTS, IS_SEVENTYFIVE_MOVES_DOC},
    {"is_fivefold_repetition", method_pointer(is_fivefold_repetition_method), NO_ARGUMENTS,
     IS_FIVEFOLD_REPETITION_DOC},
    {"is_insufficient_material", method_pointer(is_insufficient_material_method), NO_ARGUMENTS,
     IS_INSUFFICIENT_MATERIAL_DOC},
    {"perft", method_pointer(perft_method), WITH_ARGUMENTS, PERFT_DOC},
    {"__copy__", method_pointer(copy_method), NO_ARGUMENTS, "__copy__($self)\n--\n\nThe same as copy()."},
    {"__deepcopy__", method_pointer(deepcopy_method), WITH_ARGUMENTS,
     "__deepcopy__($self, memo)\n--\n\nThe same as copy(): a board holds no other objects."},
    {"__reduce__", method_pointer(reduce_method), NO_ARGUMENTS,
     "__reduce__($self)\n--\n\nPickle support: the FEN text the board was made from and its game as bytes."},
    {"__setstate__", method_pointer(setstate_method), WITH_ARGUMENTS,
     "__setstate__($self, state)\n--\n\nPickle support: replace the position and both stacks with those of\n"
     "state, bytes from __reduce__(). Other bytes raise ValueError and change nothing."},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef attributes[] = {
    {"turn", get_turn, set_turn, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot slots[] = {
    {Py_tp_doc, const_cast<char*>("Board(starting_fen=None)\n--\n\n")},
    {Py_tp_new, reinterpret_cast<void*>(board_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc_object<tarvik::Board>)},
    {Py_tp_str, reinterpret_cast<void*>(text_form)},
    {Py_tp_repr, reinterpret_cast<void*>(text_form)},
    {Py_tp_methods, methods},
    {Py_tp_getset, attributes},
    {0, nullptr},
};

PyType_Spec type_spec{"builtins.Board", sizeof(Object<tarvik::Board>), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE, slots};

}  // namespace

PyTypeObject* board_type() {
    if (the_board_type == nullptr && (the_board_type = create_type(type_spec)) != nullptr) {
        the_board_type->tp_vectorcall = board_vectorcall;
    }
    return the_board_type;
}

void forget_board_type() { the_board_type = nullptr; }

PyObject* to_python(tarvik::Board&& board) {
    PyTypeObject* type = board_type();
    if (type == nullptr) return nullptr;
    // The memory the type's own allocator would take, without zero-filling it first:
    // the record and its flag are constructed right away.
    void* block = PyObject_Malloc(sizeof(Object<tarvik::Board>));
    if (block == nullptr) return PyErr_NoMemory();
    return emplace_record(PyObject_Init(static_cast<PyObject*>(block), type), std::move(board));
}

PyObject* to_python(PickledBoard&& pickled) {
    PyObject* arguments = Py_BuildValue("(s#)", pickled.fen.data(), static_cast<Py_ssize_t>(pickled.fen.size()));
    PyObject* state = PyBytes_FromStringAndSize(pickled.state.data(), static_cast<Py_ssize_t>(pickled.state.size()));
    PyObject* reduced = arguments && state ? reduce_to_call("Board", arguments, state) : nullptr;
    Py_XDECREF(arguments);
    Py_XDECREF(state);
    return reduced;
}

}  // namespace tarvik::module
