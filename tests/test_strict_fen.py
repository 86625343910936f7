"""Board.from_fen against python-chess's Board(fen): the same text accepted, the same position read, the
same fault named; and the clear ValueError for clocks a board cannot hold."""

import pickle

import chess
import pytest
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

from conftest import SQUARE_NAMES
from tarvik import Board

# Every character str.split() splits on, and digits of other scripts, which int() reads.
WHITE_SPACE = "\t\n\x0b\x0c\r\x1c\x1d\x1e\x1f \x85\xa0\u1680\u2000\u200a\u2028\u2029\u202f\u205f\u3000"
DIGITS = "0123456789\u0660\u0669\u09e6\uff11\U0001d7ce\U0001d7ff\U0001fbf9"
PLACEMENT_CHARACTERS = "pnbrqkPNBRQK\u212a12345678/~09x "
CASTLING_CHARACTERS = "KQkqABCDEFGHabcdefghXx-"
CLOCK_BOUND = 2**32 - 1
FAULT_FREE = settings(max_examples=1200, deadline=None, derandomize=True, database=None,
                      suppress_health_check=[HealthCheck.too_slow])


def theirs(fen):
    try:
        return chess.Board(fen)
    except ValueError as error:
        return error


def fault(message):
    """The part of a message that names the fault, before the text it quotes."""
    return message.split(": ")[0]


def check_against_python_chess(fen):
    expected = theirs(fen)
    if isinstance(expected, chess.Board) and max(expected.halfmove_clock, expected.fullmove_number) > CLOCK_BOUND:
        clock = "half-move clock" if expected.halfmove_clock > CLOCK_BOUND else "fullmove number"
        with pytest.raises(ValueError, match=f"^{clock} beyond 4294967295 in fen: "):
            Board.from_fen(fen)
    elif isinstance(expected, chess.Board):
        board = Board.from_fen(fen)
        assert board.to_fen() == expected.fen(en_passant="fen"), fen
        # The stored text is that FEN too: re-reading it and pickling keep the position.
        board.set_board()
        assert board.to_fen() == expected.fen(en_passant="fen")
        assert pickle.loads(pickle.dumps(board)).to_fen() == board.to_fen()
    else:
        with pytest.raises(ValueError) as raised:
            Board.from_fen(fen)
        assert type(raised.value) is ValueError
        assert fault(str(raised.value)) == fault(str(expected)), fen


@st.composite
def placements(draw):
    """A placement written from a random board, often broken afterwards."""
    squares = draw(st.lists(st.sampled_from("..........pnbrqkPNBRQK\u212a"), min_size=64, max_size=64))
    ranks = []
    for rank in range(8):
        text, empty = "", 0
        for symbol in squares[8 * rank:8 * rank + 8]:
            if symbol == ".":
                empty += 1
                continue
            text += (str(empty) if empty else "") + symbol + ("~" if draw(st.integers(0, 9)) == 0 else "")
            empty = 0
        ranks.append(text + (str(empty) if empty else ""))
    placement = "/".join(ranks)
    for _ in range(draw(usually(st.just(0), st.integers(1, 2)))):
        at = draw(st.integers(0, len(placement)))
        placement = placement[:at] + draw(st.text(PLACEMENT_CHARACTERS, max_size=2)) + placement[at + 1:]
    return placement


def usually(common, rare):
    """Mostly a well-formed value, now and then one of the rarer or broken ones."""
    return st.integers(0, 6).flatmap(lambda roll: rare if roll == 3 else common)


def clocks():
    digits = st.text(DIGITS, min_size=1, max_size=4)
    written = st.tuples(st.sampled_from(["", "+", "-", "_", "+-"]), digits, st.sampled_from(["", "_", "__"]),
                        st.text(DIGITS, max_size=3), st.sampled_from(["", "_", "x", "0" * 12])).map("".join)
    return usually(st.integers(0, 200).map(str), st.one_of(
        written, st.integers(-5, 2**33).map(str),
        st.sampled_from(["4294967295", "4294967296", "0" * 4300 + "7", "0" * 4301])))


@st.composite
def fens(draw):
    fields = [
        draw(placements()),
        draw(usually(st.sampled_from("wb"), st.sampled_from(["W", "-", "x", "wb"]))),
        draw(usually(st.sampled_from(["KQkq", "-", "Kq", "KQ", "kq", "Qk"]), st.text(CASTLING_CHARACTERS, max_size=5))),
        draw(usually(st.sampled_from(["-"] + SQUARE_NAMES), st.text("abhi0189-", max_size=3))),
        draw(clocks()),
        draw(clocks()),
        draw(st.sampled_from(["x", ";"])),
    ]
    separators = st.text(WHITE_SPACE, min_size=1, max_size=2)
    count = draw(usually(st.integers(1, 6), st.sampled_from([0, 7])))
    text = draw(st.text(WHITE_SPACE, max_size=1))
    for field in fields[:count]:
        text += (field or "0") + draw(separators)
    return text


@FAULT_FREE
@given(fens())
def test_from_fen_reads_what_python_chess_reads(fen):
    check_against_python_chess(fen)


@settings(max_examples=500, deadline=None, derandomize=True, database=None)
@given(st.text(max_size=80))
def test_from_fen_on_any_text(fen):
    check_against_python_chess(fen)


@pytest.mark.parametrize("fen", [
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",     # an EPD line's position
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR  w  KQkq - 0 1",  # doubled spaces
    "4k3/8/8/8/8/8/8/4\u212a3 w - - 0 1",                          # the Kelvin sign, a white king
    "r3k2r/8/8/8/8/8/8/R3K~2R w KQkq - 0 1",                      # a promoted king has no castling rights
    "4k3/8/8/8/8/8/8/4K3 b - - +1_0 \u0661\u0662",               # clocks as int() reads them
    "4k3/8/8/8/8/8/8/4K3 w - - 0 0",                               # full move 0 reads as 1
    "4k3/8/8/8/8/8/8/4K3 w - - 0 -0",
    "4k3/8/8/8/8/8/8/4K3 w - - 4294967295 4294967295",
    "r3k2r/8/8/8/8/8/8/R3K2R w AHah - 0 1",                        # files name the corner rooks
    "r3k2r/8/8/8/8/8/8/R3K2R w HK - 0 1",
    "4k3/8/8/8/K7/8/8/R3K2R w KQ - 0 1",                           # python-chess names a rook by its file here
    "r3k2r/8/8/8/8/8/8/R3K2R w KQkq e3 0 1",                       # any en-passant square is kept
])
def test_from_fen_examples(fen):
    check_against_python_chess(fen)


@pytest.mark.parametrize("fen, message", [
    ("", "empty fen"),
    ("8/8/8/8/8/8/8/8 x", "expected 'w' or 'b' for turn part of fen: '8/8/8/8/8/8/8/8 x'"),
    ("8/8/8/8/8/8/8/8 w KQX", "invalid castling part in fen: '8/8/8/8/8/8/8/8 w KQX'"),
    ("8/8/8/8/8/8/8/8 w - e9", "invalid en passant part in fen: '8/8/8/8/8/8/8/8 w - e9'"),
    ("8/8/8/8/8/8/8/8 w - - 1__0", "invalid half-move clock in fen: '8/8/8/8/8/8/8/8 w - - 1__0'"),
    ("8/8/8/8/8/8/8/8 w - - -1", "half-move clock cannot be negative: '8/8/8/8/8/8/8/8 w - - -1'"),
    ("8/8/8/8/8/8/8/8 w - - 4294967296",
     "half-move clock beyond 4294967295 in fen: '8/8/8/8/8/8/8/8 w - - 4294967296'"),
    ("8/8/8/8/8/8/8/8 w - - 0 1.0", "invalid fullmove number in fen: '8/8/8/8/8/8/8/8 w - - 0 1.0'"),
    ("8/8/8/8/8/8/8/8 w - - 0 -3", "fullmove number cannot be negative: '8/8/8/8/8/8/8/8 w - - 0 -3'"),
    ("8/8/8/8/8/8/8/8 w - - 0 1 x", "fen string has more parts than expected: '8/8/8/8/8/8/8/8 w - - 0 1 x'"),
    ("8/8/8/8/8/8/8", "expected 8 rows in position part of fen: '8/8/8/8/8/8/8'"),
    ("44/8/8/8/8/8/8/8", "two subsequent digits in position part of fen: '44/8/8/8/8/8/8/8'"),
    ("~8/8/8/8/8/8/8/8", "'~' not after piece in position part of fen: '~8/8/8/8/8/8/8/8'"),
    ("x7/8/8/8/8/8/8/8", "invalid character in position part of fen: 'x7/8/8/8/8/8/8/8'"),
    ("p8/8/8/8/8/8/8/8", "expected 8 columns per row in position part of fen: 'p8/8/8/8/8/8/8/8'"),
])
def test_every_fault_is_named(fen, message):
    with pytest.raises(ValueError) as raised:
        Board.from_fen(fen)
    assert type(raised.value) is ValueError and str(raised.value) == message


@pytest.mark.parametrize("call, kind, message", [
    (lambda: Board.from_fen(), TypeError, "Board.from_fen() missing 1 required positional argument: 'fen'"),
    (lambda: Board.from_fen(5), TypeError, "argument 'fen': 'int' object cannot be converted to 'PyString'"),
    (lambda: Board.from_fen(fen="8/8/8/8/8/8/8/8", x=1), TypeError,
     "Board.from_fen() got an unexpected keyword argument 'x'"),
    (lambda: Board.from_fen("\ud800"), UnicodeEncodeError, None),
])
def test_from_fen_argument_errors(call, kind, message):
    with pytest.raises(kind) as raised:
        call()
    assert message is None or str(raised.value) == message


def test_from_fen_is_a_class_method_giving_a_new_board():
    board = Board().from_fen("4k3/8/8/8/8/8/8/4K3 w - - 0 1")
    assert type(board) is Board and board.to_fen() == "4k3/8/8/8/8/8/8/4K3 w - - 0 1"
    assert Board.from_fen.__text_signature__ == "($type, fen)"
