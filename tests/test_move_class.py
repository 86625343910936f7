"""The Move class: construction, attributes, UCI text and identity."""

import subprocess
import sys
import textwrap

import pytest

from conftest import ucis
from tarvik import Move

INTERPRETERS = "the interpreter's own text"
LENGTH = "expected a string of length 1"
DELETE = object()


def check_error(excinfo, kind, message):
    error = excinfo.value
    assert type(error) is kind
    if message == INTERPRETERS:
        assert not str(error).startswith("argument")
    elif message.endswith(": "):  # our prefix on the interpreter's TypeError
        assert type(error.__cause__) is TypeError and str(error) == message + str(error.__cause__)
    else:
        assert str(error) == message


@pytest.mark.parametrize("args, kwargs, fields, text", [
    ((12, 28), {}, (12, 28, None), "e2e4"),
    ((), {"to_square": 28, "from_square": 12}, (12, 28, None), "e2e4"),
    ((12,), {"to_square": 28, "promotion": None}, (12, 28, None), "e2e4"),
    ((52, 60), {"promotion": "Q"}, (52, 60, "Q"), "e7e8Q"),  # kept as given
    ((12, 28, "\U0001f600"), {}, (12, 28, "\U0001f600"), "e2e4\U0001f600"),  # not validated
    ((64, 7), {}, (64, 7, None), "a9h1"),
    ((255, 256), {}, (255, 256, None), "h32a1"),  # only the low byte feeds the rank
    ((257, 2**32 - 1), {}, (257, 2**32 - 1, None), "b1h32"),
])
def test_construction_and_text(args, kwargs, fields, text):
    move = Move(*args, **kwargs)
    assert (move.from_square, move.to_square, move.promotion) == fields
    assert move.uci() == str(move) == repr(move) == text


@pytest.mark.parametrize("args, kind, message", [
    ((-1, 28), OverflowError, INTERPRETERS),
    ((12, 2**32), OverflowError, INTERPRETERS),
    ((12, 28, 5), TypeError, "argument 'promotion': 'int' object cannot be converted to 'PyString'"),
    ((12, 28, ""), ValueError, LENGTH),
    ((12, 28, "\ud800"), UnicodeEncodeError, INTERPRETERS),
    # The first bad argument in parameter order is the one reported.
    (("e2", -1, 5), TypeError, "argument 'from_square': "),
    ((12, 28.0, 5), TypeError, "argument 'to_square': "),
    ((12, -1, "qq"), OverflowError, INTERPRETERS),
])
def test_construction_errors(args, kind, message):
    with pytest.raises(kind) as excinfo:
        Move(*args)
    check_error(excinfo, kind, message)


@pytest.mark.parametrize("attribute, value, kind, message", [
    ("from_square", -1, OverflowError, INTERPRETERS),
    ("from_square", "e2", TypeError, "argument 'from_square': "),  # each setter names its own attribute
    ("to_square", "e4", TypeError, "argument 'to_square': "),
    ("promotion", 5, TypeError, "argument 'promotion': 'int' object cannot be converted to 'PyString'"),
    ("promotion", "qq", ValueError, LENGTH),
    ("promotion", DELETE, AttributeError, "can't delete attribute"),
    ("from_square", DELETE, AttributeError, "can't delete attribute"),
])
def test_failed_changes_keep_the_old_value(attribute, value, kind, message):
    move = Move(52, 60, "q")
    with pytest.raises(kind) as excinfo:
        delattr(move, attribute) if value is DELETE else setattr(move, attribute, value)
    check_error(excinfo, kind, message)
    assert (move.from_square, move.to_square, move.promotion) == (52, 60, "q")
    move.from_square, move.to_square, move.promotion = 12, 28, None
    assert (move.from_square, move.to_square, move.promotion, move.uci()) == (12, 28, None, "e2e4")


def test_equality_and_hash_are_by_identity():
    first, second = Move(12, 28, "q"), Move(12, 28, "q")
    assert first == first and first != second and not first == second
    assert hash(first) == object.__hash__(first) and len({first, second}) == 2


def test_moves_cross_the_boundary_as_copies(start):
    moves = start.pawn_moves()
    expected = ucis(moves)
    for move in moves:
        move.from_square, move.to_square, move.promotion = 0, 63, "q"
    again = start.pawn_moves()
    assert ucis(again) == expected and not any(a is b for a, b in zip(moves, again))
    played = Move(12, 28)
    start.apply_move(played)
    played.to_square = 20  # too late to change what was played
    popped = start.pop()
    assert popped is not played and popped.uci() == "e2e4"


def test_many_moves_alive_at_once_are_freed_and_made_again():
    # Freed Move objects are kept for reuse up to a limit; crossing it many times
    # over must neither crash nor hand out a wrong move. A crash must not end the
    # test run, hence the child process.
    script = textwrap.dedent("""
        import tarvik
        board = tarvik.Board("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1")
        expected = [move.uci() for move in board.legal_moves()]
        for size in (100, 600, 3000, 600):
            alive = [board.legal_moves() for _ in range(size // len(expected) + 1)]
            assert all([move.uci() for move in moves] == expected for moves in alive)
            del alive
            for _ in range(200):
                assert [move.uci() for move in board.legal_moves()] == expected
        print("ok")
    """)
    result = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=120)
    assert (result.returncode, result.stdout, result.stderr) == (0, "ok\n", "")
