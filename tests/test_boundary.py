"""Argument binding, argument conversion, access conflicts and internal failures."""

import pytest

import tarvik
from conftest import PanicException, observable
from tarvik import Board, Move

OWN_RANGE = "out of range integral type conversion attempted"
INTERPRETERS = None  # the interpreter's own text, passed on as it is


class Index:
    """An integer argument whose conversion runs Python code."""

    def __init__(self, action):
        self.action = action

    def __index__(self):
        return self.action()


@pytest.mark.parametrize("call, message", [
    (lambda b: Board("a", "b"), "Board.__new__() takes from 0 to 1 positional arguments but 2 were given"),
    (lambda b: b.get_pieces("p", "q", x=1), "Board.get_pieces() takes 1 positional arguments but 2 were given"),
    (lambda b: b.get_pieces(x=1), "Board.get_pieces() got an unexpected keyword argument 'x'"),
    (lambda b: Move(1, 2, from_square=3), "Move.__new__() got multiple values for argument 'from_square'"),
    (lambda b: b.get_pieces(), "Board.get_pieces() missing 1 required positional argument: 'piece_type'"),
    (lambda b: b.set_pieces_or(5), "Board.set_pieces_or() missing 1 required positional argument: 'bitboard'"),
    (lambda b: Move(), "Move.__new__() missing 2 required positional arguments: 'from_square' and 'to_square'"),
])
def test_binding_errors(start, call, message):
    with pytest.raises(TypeError) as excinfo:
        call(start)
    assert (type(excinfo.value), str(excinfo.value)) == (TypeError, message)
    assert observable(start) == observable(Board())


@pytest.mark.parametrize("call, kind, message", [
    (lambda b: Board(5), TypeError, "argument 'starting_fen': 'int' object cannot be converted to 'PyString'"),
    (lambda b: Board("\ud800"), UnicodeEncodeError, INTERPRETERS),
    (lambda b: b.get_pieces(type("Piece", (), {"__qualname__": "Outer.Piece"})()), TypeError,
     "argument 'piece_type': 'Outer.Piece' object cannot be converted to 'PyString'"),
    (lambda b: b.get_pieces("pp"), ValueError, "expected a string of length 1"),
    (lambda b: b.get_pieces(""), ValueError, "expected a string of length 1"),
    (lambda b: b.get_pieces("\ud800"), UnicodeEncodeError, INTERPRETERS),
    (lambda b: b.set_pieces_or("P", -1), OverflowError, INTERPRETERS),
    (lambda b: b.set_pieces_or("P", 2**64), OverflowError, INTERPRETERS),
    (lambda b: b._reset_half_move_clock(0, 1.0), TypeError, "argument 'to_mask': "),
    (lambda b: b._is_attacked(256), OverflowError, OWN_RANGE),
    (lambda b: b._is_attacked(Index(lambda: -2**31)), OverflowError, OWN_RANGE),
    (lambda b: b._is_attacked(2**31), OverflowError, INTERPRETERS),
    (lambda b: b._restore(None), TypeError, "argument 'board_state': 'NoneType' object cannot be converted to 'BoardState'"),
    # Arguments convert in order, all of them before the letter is looked up.
    (lambda b: b.set_pieces_or(5, -1), TypeError, "argument 'piece_type': 'int' object cannot be converted to 'PyString'"),
    (lambda b: b.set_pieces_xor("W", -1), OverflowError, INTERPRETERS),
])
def test_conversion_errors(start, call, kind, message):
    with pytest.raises(kind) as excinfo:
        call(start)
    error, text = excinfo.value, str(excinfo.value)
    assert type(error) is kind
    if message is INTERPRETERS:
        assert not text.startswith("argument") and text != OWN_RANGE
    else:  # a message ending in ": " is our prefix on the interpreter's TypeError
        assert text == (message + str(error.__cause__) if message.endswith(": ") else message)
    if kind is TypeError:
        assert type(error.__cause__) is TypeError and text == text.split(": ", 1)[0] + ": " + str(error.__cause__)
    assert observable(start) == observable(Board())
    start.set_pieces_xor("P", 0)  # exclusive access is free again


class CustomTypeError(TypeError):
    pass


@pytest.mark.parametrize("error", [TypeError("no number"), CustomTypeError("no number"), ValueError("no number")])
def test_errors_raised_by_conversion_code(start, error):
    def fail():
        raise error

    with pytest.raises(BaseException) as excinfo:
        start.set_pieces_or("P", Index(fail))
    if type(error) is TypeError:
        assert (type(excinfo.value), str(excinfo.value)) == (TypeError, "argument 'bitboard': no number")
        assert excinfo.value.__cause__ is error
    else:
        assert excinfo.value is error  # passed through untouched
    assert observable(start) == observable(Board())


@pytest.mark.parametrize("outer, inner, message", [
    # Held exclusively: every other request fails.
    (lambda b, x: b.set_pieces_or("P", x), lambda b: b.get_pieces("p"), "Already mutably borrowed"),
    (lambda b, x: b.set_pieces_or("P", x), lambda b: str(b), "Already mutably borrowed"),
    (lambda b, x: b._is_attacked(x), lambda b: b.turn, "Already mutably borrowed"),
    (lambda b, x: b.set_pieces_or("P", x), lambda b: b.set_pieces_xor("P", 0), "Already borrowed"),
    # Held shared: readers may join, writers may not.
    (lambda b, x: b._reset_half_move_clock(x, 0), lambda b: setattr(b, "turn", False), "Already borrowed"),
    (lambda b, x: b._reset_half_move_clock(0, x), lambda b: (b.get_pieces("p"), b.turn, str(b)), None),
])
def test_reentrant_access(start, outer, inner, message):
    def touch_board():
        inner(start)
        return 0

    if message is None:
        outer(start, Index(touch_board))
    else:
        with pytest.raises(RuntimeError) as excinfo:
            outer(start, Index(touch_board))
        assert (type(excinfo.value), str(excinfo.value)) == (RuntimeError, message)
    assert observable(start) == observable(Board())
    start.set_pieces_xor("P", 0)  # the failed call released its access


@pytest.mark.parametrize("call, message", [
    (lambda b: b.get_pieces("x"), "Invalid piece type: x"),
    (lambda b: b.set_pieces_or("W", 1), "Invalid piece type"),
    (lambda b: Board(""), "Invalid starting fen; got , with 1 parts"),
    # Messages quote their input whole, NUL characters included.
    (lambda b: Board("a\x00b"), "Invalid starting fen; got a\x00b, with 1 parts"),
    (lambda b: b.get_pieces("\x00"), "Invalid piece type: \x00"),
])
def test_internal_failure(start, call, message):
    with pytest.raises(PanicException) as excinfo:
        try:
            call(start)
        except Exception:  # noqa: BLE001 - must not catch it
            pytest.fail("an internal failure was caught by 'except Exception'")
    assert type(excinfo.value) is PanicException  # one class, whatever failed
    assert excinfo.value.args == (message,)
    assert observable(start) == observable(Board())
    start.set_pieces_xor("P", 0)


def test_panic_exception_class():
    assert PanicException.__bases__ == (BaseException,)
    assert (PanicException.__module__, PanicException.__name__) == ("pyo3_runtime", "PanicException")
    assert "BaseException" in PanicException.__doc__
    assert not hasattr(tarvik, "PanicException")
