"""Positions: the starting sets, the text form, turn, FEN parsing and the raw piece sets."""

import contextlib

import numpy
import pytest

from conftest import PanicException, bitboard, observable, square, ucis
from tarvik import Board, Move

DEFAULT_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
EMPTY_TEXT = "\n".join([". . . . . . . ."] * 8)
START_TEXT = "r n b q k b n r\np p p p p p p p\n" + ". . . . . . . .\n" * 4 + "P P P P P P P P\nR N B Q K B N R"
START_SETS = {"p": 0x00FF00000000FF00, "r": bitboard("a1", "h1", "a8", "h8"), "n": bitboard("b1", "g1", "b8", "g8"),
              "b": bitboard("c1", "f1", "c8", "f8"), "q": bitboard("d1", "d8"), "k": bitboard("e1", "e8"),
              "w": 0x000000000000FFFF, "a": 0xFFFF00000000FFFF}


def numpy_like_bool(type_name, value, action=lambda: None, module="numpy"):
    def __bool__(self):
        action()
        return value

    return type(type_name, (), {"__bool__": __bool__, "__module__": module})()


@pytest.mark.parametrize("make", [Board, lambda: Board(None), lambda: Board(starting_fen=DEFAULT_FEN + " extra")])
def test_starting_position(make):
    board = make()
    board.set_board()  # re-reading an unchanged board changes nothing
    for letter, expected in START_SETS.items():
        assert board.get_pieces(letter) == board.get_pieces(letter.upper()) == expected, letter
    assert board.turn is True and board._check_castling_rights()
    assert str(board) == repr(board) == START_TEXT and len(START_TEXT) == 127
    with pytest.raises(PanicException):
        board.pop()  # both stacks start empty


@pytest.mark.parametrize("changes, shown", [
    ("or P, or R", "R"), ("or K, or P", "K"),  # two piece sets: the later letter
    ("or N, or n", "n"),  # both colours: the black letter
    ("xor Q", "."), ("or B, xor B", "."),  # a piece of no colour, a colour with no piece
])
def test_text_of_inconsistent_squares(changes, shown):
    board = Board("8/8/8/8/8/8/8/8 w - - 0 1")
    assert str(board) == EMPTY_TEXT
    for change in changes.split(", "):
        rule, letter = change.split()
        getattr(board, f"set_pieces_{rule}")(letter, bitboard("b2"))
    lines = EMPTY_TEXT.split("\n")
    lines[6] = f". {shown} . . . . . ."  # rank 2
    assert str(board) == repr(board) == "\n".join(lines)


@pytest.mark.parametrize("value", [numpy.bool_(False), numpy.bool(False), numpy_like_bool("bool_", False),
                                   numpy_like_bool("bool", False), False])
def test_turn_assignment(start, value):
    start.turn = value
    assert start.turn is False and observable(start)[:-2] == observable(Board())[:-2]
    with pytest.raises(PanicException):
        start.pop()  # nothing was pushed
    # The value is converted before the board is held, so its truth value may use the board.
    start.turn = numpy_like_bool("bool_", True, lambda: start.set_pieces_xor("P", bitboard("a2")))
    assert start.turn is True and start.get_pieces("P") == START_SETS["p"] ^ bitboard("a2")


def test_turn_keeps_its_value_when_the_truth_value_fails(start):
    def fail():
        raise ZeroDivisionError("no truth")

    with pytest.raises(ZeroDivisionError, match="no truth"):
        start.turn = numpy_like_bool("bool_", False, fail)
    assert start.turn is True and observable(start) == observable(Board())


@pytest.mark.parametrize("value, type_name", [
    (1, "int"), (None, "NoneType"), (numpy.int64(1), "int64"), (numpy_like_bool("bool", True, module="numpyx"), "bool")])
def test_turn_rejects_other_types(start, value, type_name):
    start.turn = False
    before = observable(start)
    with pytest.raises(TypeError) as excinfo:
        start.turn = value
    assert str(excinfo.value) == f"argument 'turn': '{type_name}' object cannot be converted to 'PyBool'"
    with pytest.raises(AttributeError) as deleting:
        del start.turn
    assert str(deleting.value) == "can't delete attribute"
    assert observable(start) == before


@pytest.mark.parametrize("fen, message", [
    ("8/8/8/8/8/8/8/8 w - - 0", "Invalid starting fen; got 8/8/8/8/8/8/8/8 w - - 0, with 5 parts"),
    ("8/8/8/8/8/8/8/8\tw - - 0 1", "Invalid starting fen; got 8/8/8/8/8/8/8/8\tw - - 0 1, with 5 parts"),
    ("9p/8/8/8/8/8/8/8 w - - 0 1", "index out of bounds: the len is 64 but the index is 65"),
    ("8x/8/8/8/8/8/8/8 w - - 0 1", "index out of bounds: the len is 64 but the index is 64"),  # range first
    ("8/8/8/8/8/8/8/8/p w - - 0 1", "index out of bounds: the len is 64 but the index is 4294967288"),
    ("rnbqkbnx/8/8/8/8/8/8/8 w - - 0 1", "Invalid piece type"),
    ("8/8/8/8/8/8/8/8 w - \u00e9 0 1", "index out of bounds: the len is 1 but the index is 1"),
    ("8/8/8/8/8/8/8/8 w -  0 1", "index out of bounds: the len is 0 but the index is 1"),
])
def test_fen_failures(fen, message):
    with pytest.raises(PanicException) as excinfo:
        Board(fen)
    assert excinfo.value.args == (message,)


@pytest.mark.parametrize("fen, pieces, turn", [
    ("0K7/8/8/8/8/8/8/8 w - - 0 1", {"K": ["a8"]}, True),  # '0' skips nothing
    ("8/9K/8/8/8/8/8/8 w - - 0 1", {"K": ["b8"]}, True),  # '9' skips nine
    ("k7/8/8/8/8/8/8/Q6q W - - 0 1", {"k": ["a8"], "Q": ["a1"], "q": ["h1"]}, False),
    ("8/8/8/8/8/8/8/8  - - 0 1", {}, False),
])
def test_fen_placement_and_side_to_move(fen, pieces, turn):
    def union(letters):
        return bitboard(*[name for letter in letters for name in pieces.get(letter, [])])

    board = Board(fen)
    for letter in "prnbqk":
        assert board.get_pieces(letter) == union(letter + letter.upper()), letter
    assert (board.get_pieces("w"), board.get_pieces("a"), board.turn) == (union("PRNBQK"), union("PRNBQKprnbqk"), turn)


@pytest.mark.parametrize("clock", ["+5", "abc", "-1", "", "4294967296", "007", "+", "1\t"])
def test_clock_fields_never_fail(clock):
    for fen in (f"8/8/8/8/8/8/8/8 w - - {clock} 1", f"8/8/8/8/8/8/8/8 w - - 0 {clock}"):
        assert str(Board(fen)) == EMPTY_TEXT


@pytest.mark.parametrize("field, white, black, present", [
    ("-", False, False, False), ("KQkq", True, True, True), ("", False, False, True), ("xkx", False, True, True)])
def test_castling_field(field, white, black, present):
    board = Board(f"8/8/8/8/8/8/8/8 w {field} - 0 1")
    assert board._check_castling_rights() is white
    board.turn = False
    assert board._check_castling_rights() is black
    with contextlib.nullcontext() if present else pytest.raises(PanicException):
        board._remove_castling_rights("q")  # fails only when the field is absent


# A white pawn on b5 shows the en-passant square through its captures; squares off the board fail.
@pytest.mark.parametrize("field, expected", [
    ("-", ["b5b6"]), ("c6xyz", ["b5b6", "b5c6"]), ("\u00e96", ["b5b6", "b5a6"]), ("c3", ["b5b6"]),
    ("a9", 64), ("h0", 255), ("ex", 252)])
def test_en_passant_field(field, expected):
    board = Board(f"8/8/8/1P6/8/8/8/8 w - {field} 0 1")
    if isinstance(expected, list):
        assert ucis(board.pawn_moves()) == expected
    else:
        with pytest.raises(PanicException) as excinfo:
            board.pawn_moves()
        assert excinfo.value.args == (f"index out of bounds: the len is 64 but the index is {expected}",)


def test_leading_space_shifts_every_field():
    board = Board(" " + DEFAULT_FEN)
    assert board.get_pieces("a") == 0 and board.turn is False  # placement text is not "w"
    board._remove_castling_rights("k")  # the castling field reads "w": present
    assert not board._check_castling_rights()
    with pytest.raises(PanicException) as excinfo:
        board.pawn_moves()  # the en-passant field reads "KQkq": file a, rank 248
    assert excinfo.value.args == ("index out of bounds: the len is 64 but the index is 248",)


@pytest.mark.parametrize("rule, letter, mask, changed", [
    ("or", "N", bitboard("d4"), "nwa"), ("or", "n", bitboard("d4"), "na"),
    ("or", "Q", bitboard("e8", "e4"), "qwa"), ("or", "K", 2**64 - 1, "kwa"), ("or", "P", 0, ""),
    ("xor", "P", bitboard("a2"), "p"), ("xor", "p", bitboard("a2", "a3"), "p"),  # colours untouched
])
def test_set_pieces(start, rule, letter, mask, changed):
    getattr(start, f"set_pieces_{rule}")(letter, mask)
    combine = int.__or__ if rule == "or" else int.__xor__
    for key, value in START_SETS.items():
        assert start.get_pieces(key) == (combine(value, mask) if key in changed else value), key


@pytest.mark.parametrize("method, letter, message", [
    ("get_pieces", "x", "Invalid piece type: x"),
    ("get_pieces", "\u212a", "Invalid piece type: \u212a"),  # the Kelvin sign is no K
    ("get_pieces", "\U0001f600", "Invalid piece type: \U0001f600"),
    ("set_pieces_or", "W", "Invalid piece type"), ("set_pieces_or", "a", "Invalid piece type"),
    ("set_pieces_xor", "w", "Invalid piece type"), ("set_pieces_xor", "A", "Invalid piece type"),
    ("set_pieces_or", "\u212a", "Invalid piece type"),
])
def test_rejected_letters(start, method, letter, message):
    arguments = (letter,) if method == "get_pieces" else (letter, bitboard("d4", "e2"))
    with pytest.raises(PanicException) as excinfo:
        getattr(start, method)(*arguments)
    assert excinfo.value.args == (message,)
    assert observable(start) == observable(Board())


def test_set_board_after_moves_restores_its_fen_position():
    fen = "4k3/3p4/8/4P3/8/8/8/4K2R w K - 5 9"
    board, reference = Board(fen), Board(fen)
    for played in (board, reference):
        played.apply_move(Move(square("e1"), square("f1")))  # drops the castling right
    board.apply_move(Move(square("d7"), square("d5")))  # leaves en passant on d6
    board.set_board()
    assert observable(board) == observable(Board(fen))
    assert ucis(board.pawn_moves()) == ["e5e6"] and board._check_castling_rights()
    assert board.pop().uci() == "d7d5" and observable(board) == observable(reference)  # the stacks kept their entries
    assert board.pop().uci() == "e1f1" and observable(board) == observable(Board(fen))
