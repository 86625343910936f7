"""The module object, its exported names and the three classes as the interpreter sees them."""

import contextlib
import gc
import importlib
import inspect
import io
import os
import pathlib
import shlex
import subprocess
import sys
import sysconfig
import textwrap

import pytest

import tarvik

BOARD_METHODS = """set_board get_pieces set_pieces_or set_pieces_xor pawn_moves knight_moves king_moves
    bishop_moves rook_moves queen_moves pseudo_legal_moves _is_attacked is_check _castling_moves legal_moves
    _reset_half_move_clock _check_castling_rights _remove_castling_rights apply_move is_checkmate is_stalemate
    is_game_over _restore pop""".split()
ARGUMENTS = {"get_pieces": ", piece_type", "set_pieces_or": ", piece_type, bitboard", "_is_attacked": ", square",
             "set_pieces_xor": ", piece_type, bitboard", "_reset_half_move_clock": ", from_mask, to_mask",
             "_remove_castling_rights": ", id", "apply_move": ", mov", "_restore": ", board_state"}
# Beyond the core, after it and with docstrings of their own.
NEW_BOARD_METHODS = {
    "to_fen": "", "copy": "", "is_legal": ", move", "push_uci": ", uci", "san": ", move", "parse_san": ", san",
    "push_san": ", san", "zobrist_hash": "", "is_repetition": ", count=3", "is_fifty_moves": "",
    "is_seventyfive_moves": "", "is_fivefold_repetition": "", "is_insufficient_material": "", "perft": ", depth",
    "__copy__": "", "__deepcopy__": ", memo", "__reduce__": "", "__setstate__": ", state",
    "unicode": ", *, invert_color=False, borders=False, empty_square='⭘', orientation=True",
    "svg": ", *, size=390, flipped=False, lastmove=None, check=None, arrows=(), coordinates=True", "_repr_svg_": "",
    "piece_at": ", square", "piece_map": "", "king": ", color", "attackers": ", color, square", "attacks": ", square",
    "checkers": "", "is_pinned": ", color, square", "pin": ", color, square", "has_kingside_castling_rights": ", color",
    "has_queenside_castling_rights": ", color", "peek": "", "ply": "", "outcome": ", *, claim_draw=False",
    "result": ", *, claim_draw=False", "can_claim_draw": "", "can_claim_threefold_repetition": "",
    "can_claim_fifty_moves": "", "is_pseudo_legal": ", move", "is_capture": ", move", "is_en_passant": ", move",
    "is_castling": ", move", "is_kingside_castling": ", move", "is_queenside_castling": ", move",
    "is_zeroing": ", move", "is_irreversible": ", move", "gives_check": ", move", "lan": ", move",
    "variation_san": ", moves", "set_fen": ", fen", "set_piece_at": ", square, piece", "remove_piece_at": ", square",
    "clear_stack": "", "mirror": "", "status": "", "is_valid": "", "has_insufficient_material": ", color",
    "set_board_fen": ", fen", "board_fen": ", *, promoted=False", "set_castling_fen": ", castling_fen",
    "set_piece_map": ", pieces", "clean_castling_rights": "", "find_move": ", from_square, to_square, promotion=None",
    "epd": ", *, shredder=False, en_passant='legal', promoted=None, **operations", "set_epd": ", epd"}


def board_state_types():
    return [o for o in gc.get_objects() if isinstance(o, type) and o.__qualname__ == "BoardState"]


@pytest.fixture(scope="module")
def board_state():
    # The class comes into being the first time a BoardState argument is tested.
    with pytest.raises(TypeError):
        tarvik.Board()._restore(None)
    [cls] = board_state_types()
    return cls


def test_exports(monkeypatch):
    assert (tarvik.__all__, tarvik.__doc__) == (["Board", "Move", "hello_world"], "")
    assert not hasattr(tarvik, "BoardState")
    monkeypatch.delitem(sys.modules, "tarvik")
    assert importlib.import_module("tarvik") is tarvik


def test_hello_world_writes_to_the_process_standard_output(capfd):
    with contextlib.redirect_stdout(io.StringIO()) as redirected:
        assert tarvik.hello_world() is None
    assert (redirected.getvalue(), capfd.readouterr().out) == ("", "Hello World!\n")
    assert (tarvik.hello_world.__text_signature__, tarvik.hello_world.__doc__) == ("()", None)
    with pytest.raises(TypeError, match=r"hello_world\(\) takes no arguments \(1 given\)"):
        tarvik.hello_world(1)


@pytest.mark.parametrize("name, signature", [
    ("Board", "(starting_fen=None)"), ("Move", "(from_square, to_square, promotion=None)"), ("BoardState", None)])
def test_class_surface(board_state, name, signature):
    cls = board_state if name == "BoardState" else getattr(tarvik, name)
    assert (cls.__module__, cls.__name__, cls.__qualname__, cls.__bases__) == ("builtins", name, name, (object,))
    assert (cls.__doc__, cls.__text_signature__) == (None, signature)
    assert (cls.__dictoffset__, cls.__weakrefoffset__) == (0, 0)  # no __dict__, no weak references
    with pytest.raises(TypeError) as excinfo:
        type("Sub", (cls,), {})
    assert str(excinfo.value) == f"type 'builtins.{name}' is not an acceptable base type"


def test_method_tables():
    def members(cls, kind):
        return [name for name, value in vars(cls).items() if type(value).__name__ == kind]

    assert members(tarvik.Board, "method_descriptor") == BOARD_METHODS + list(NEW_BOARD_METHODS)
    for name in BOARD_METHODS:
        method = getattr(tarvik.Board, name)
        assert (method.__text_signature__, method.__doc__) == (f"($self{ARGUMENTS.get(name, '')})", None)
    for name, arguments in NEW_BOARD_METHODS.items():
        method = getattr(tarvik.Board, name)
        expected = f"($self{arguments})".encode("ascii", "backslashreplace").decode()  # inspect reads ASCII only
        assert method.__text_signature__ == expected and len(method.__doc__) > 10, name
        inspect.signature(method)
    assert members(tarvik.Board, "getset_descriptor") == [
        "turn", "move_stack", "halfmove_clock", "fullmove_number", "ep_square"]
    assert members(tarvik.Board, "classmethod_descriptor") == ["from_fen", "from_epd"]
    assert members(tarvik.Move, "getset_descriptor") == ["to_square", "from_square", "promotion"]
    assert members(tarvik.Move, "method_descriptor") == ["uci", "__reduce__"]
    assert (tarvik.Move.uci.__text_signature__, tarvik.Move.uci.__doc__) == ("($self)", None)
    assert tarvik.Move.from_uci.__text_signature__ == "($type, uci)" and "ValueError" in tarvik.Move.from_uci.__doc__


@pytest.mark.parametrize("name", ["Board", "Move", "BoardState"])
def test_classes_are_immutable(board_state, name):
    cls = board_state if name == "BoardState" else getattr(tarvik, name)
    for attribute in ("__new__", "uci", "brand_new"):
        with pytest.raises(TypeError) as excinfo:
            setattr(cls, attribute, staticmethod(lambda *args: object.__new__(cls)))
        assert str(excinfo.value) == f"cannot set '{attribute}' attribute of immutable type 'builtins.{name}'"
    with pytest.raises(TypeError, match="is not safe"):
        object.__new__(cls)  # no instance without its record
    assert str(tarvik.Board.__new__(tarvik.Board)) == str(tarvik.Board())


def test_board_state_has_no_constructor(board_state):
    with pytest.raises(TypeError) as excinfo:
        board_state(1, x=2)
    assert str(excinfo.value) == "No constructor defined for BoardState"
    with pytest.raises(TypeError):
        tarvik.Board()._restore(5)
    assert board_state_types() == [board_state]  # built once


def test_second_interpreter_cannot_import():
    # The legacy configuration lets the interpreter load single-phase modules, so the
    # refusal has to come from the module's own owning-interpreter check.
    script = textwrap.dedent("""
        import _interpreters, tarvik
        failure = _interpreters.run_string(_interpreters.create("legacy"), "import tarvik")
        print(failure.type.__name__, failure.msg, str(tarvik.Board()).count("P"), sep="\\n")
    """)
    result = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=60)
    assert result.returncode == 0, result.stderr
    kind, message, white_pawns = result.stdout.splitlines()
    assert (kind, white_pawns) == ("ImportError", "8")
    assert "sub-interpreters" in message.replace("subinterpreters", "sub-interpreters")


def test_a_restarted_runtime_imports_a_fresh_module(tmp_path):
    # An application that embeds Python may finalize the runtime and start it again;
    # each runtime must get a module of its own, with classes and errors that work.
    config = sysconfig.get_config_vars()
    program = tmp_path / "restart-runtime"
    source = pathlib.Path(__file__).parent / "native" / "restart_runtime.cpp"
    subprocess.run([*shlex.split(os.environ.get("CXX", "c++")), str(source), "-o", str(program),
                    f"-I{sysconfig.get_path('include')}", f"-L{config['LIBDIR']}", f"-Wl,-rpath,{config['LIBDIR']}",
                    f"-lpython{config['LDVERSION']}"], check=True)
    script = textwrap.dedent("""
        import sys, tarvik
        board = tarvik.Board()
        assert [move.uci() for move in board.legal_moves()][:2] == ["h2h3", "g2g3"]
        try:
            board.pop()
        except BaseException as error:
            assert (type(error).__name__, error.args) == ("PanicException", ("called `Option::unwrap()` on a `None` value",))
        try:
            board._restore(None)
        except TypeError as error:
            assert "BoardState" in str(error)
        del sys.modules["tarvik"]
        import tarvik as again
        assert again is tarvik and tarvik.__all__ == ["Board", "Move", "hello_world"]
        print("fresh", flush=True)
    """)
    environment = dict(os.environ, PYTHONPATH=str(pathlib.Path(tarvik.__file__).parent))
    result = subprocess.run([program, script, "3"], capture_output=True, text=True, timeout=120, env=environment)
    assert (result.returncode, result.stdout, result.stderr) == (0, "fresh\n" * 3, "")


def test_classes_added_beside_board_and_move_pickle_and_copy_by_their_module():
    import copy
    import pickle
    game = next(tarvik.read_pgn(b'[White "A"]\n\n1. e4 { [%eval 0.3] } ( 1. d4 $1 ) 1... e5 2. Ke3 *'))
    game.variations[0].set_clock(5)
    values = [game, tarvik.Board("7k/6Q1/6K1/8/8/8/8/8 b - - 0 1").outcome(), tarvik.Termination.STALEMATE,
              tarvik.BookEntry(1, 796, 3, 0, tarvik.Move(12, 28)), tarvik.Score(False, mate=-2),
              tarvik.Score(True, mate=0).pov(False), tarvik.Arrow(0, 63, color="blue")]
    for value in values:
        assert type(value).__module__ == "tarvik" and getattr(tarvik, type(value).__name__) is type(value)
        for again in (pickle.loads(pickle.dumps(value)), copy.copy(value), copy.deepcopy(value)):
            assert repr(again) == repr(value) if not isinstance(value, tarvik.Game) else str(again) == str(value)
    restored = pickle.loads(pickle.dumps(game))
    assert (restored.errors, restored.offset, restored.variations[0].clock()) == (game.errors, 0, 5.0)
    assert tarvik.__version__ == __import__("importlib.metadata").metadata.version("tarvik")
    with pytest.raises(ValueError, match="invalid Game state"):
        tarvik.Game().__setstate__((tarvik.Board(), pickle.dumps(game)))
