"""The python-chess-style Board API where games do not go: broken boards, every error path, the Outcome and
Termination classes, and editing."""

import copy
import inspect
import pickle

import chess
import pytest

import tarvik
from conftest import PanicException, observable, ucis
from tarvik import Board, Move, Outcome, Termination

# The methods registered after the pickling support: these answer or raise ValueError on any board.
METHOD_NAMES = [name for name, value in vars(Board).items()
                if type(value).__name__ in ("method_descriptor", "classmethod_descriptor")]
ADDED = METHOD_NAMES[METHOD_NAMES.index("__setstate__") + 1:]
EDITING = {"set_fen", "set_piece_at", "remove_piece_at", "clear_stack", "set_board_fen", "set_castling_fen",
           "set_piece_map", "set_epd"}
START = chess.STARTING_FEN


def game_state(board):
    return observable(board), board.to_fen(), ucis(board.move_stack)


def broken(fen, *edits):
    def make():
        board = Board(fen)
        board.push_uci(board.legal_moves()[0].uci()) if edits == ("played",) else None
        for rule, letter, squares in (edit for edit in edits if edit != "played"):
            getattr(board, rule)(letter, squares)
        return board
    return make


# name: (make, whether its piece and colour sets disagree)
BROKEN = {
    "white without a king": (broken(START, ("set_pieces_xor", "K", 1 << 4)), True),
    "two black kings, one giving check": (broken(START, ("set_pieces_or", "k", 1 << 20)), False),
    "a square of White in no piece set": (broken(START, ("set_pieces_xor", "P", 1 << 8)), True),
    "black queens all over rank 3": (broken(START, ("set_pieces_or", "q", 0xFF << 16)), False),
    "a knight in no colour": (broken(START, ("set_pieces_xor", "N", 1 << 27)), True),
    "a bishop that is a knight too": (broken(START, ("set_pieces_or", "N", 1 << 2)), True),
    "both colours on e2": (broken(START, ("set_pieces_or", "p", 1 << 12)), True),
    "no kings at all": (broken("8/8/8/8/8/8/8/8 w KQkq - 0 1"), False),
    "an en-passant square off the board": (broken("4k3/8/8/8/8/8/3P4/4K3 w - e9 0 1"), False),
    "a king the side to move can take": (broken("4k3/8/8/8/8/8/8/r3K3 b - - 0 1"), False),
}
MAKERS = {name: make for name, (make, _) in BROKEN.items()}


def arguments(board, name):
    """Argument lists for a method, by its parameter names: ordinary values a caller would pass."""
    method = getattr(board, name)
    parameters = [p for p in inspect.signature(method).parameters.values()]
    try:
        moves = board.pseudo_legal_moves()[:4]
    except PanicException:
        moves = []
    values = {
        "square": [0, 4, 12, 20, 63], "color": [True, False], "move": moves + [Move(12, 28), Move(4, 6), Move(20, 21)],
        "moves": [[Move(12, 28)], moves[:1]], "fen": ["4k3/8/8/8/8/8/8/4K3 w - - 0 1"], "piece": ["Q", "k", None],
        "claim_draw": [False, True], "invert_color": [True], "borders": [True, False], "empty_square": ["."],
        "orientation": [False], "size": [None], "flipped": [True], "lastmove": [None, Move(12, 28)], "check": [4],
        "arrows": [[(12, 28)]], "coordinates": [True], "promoted": [True], "castling_fen": ["KQkq", "-"],
        "pieces": [{4: "K", 60: "k", 12: "P"}], "from_square": [12, 4], "to_square": [28, 6], "promotion": [None],
        "shredder": [True], "en_passant": ["legal", "xfen", "fen"], "operations": [None, moves[:1]],
        "epd": ["4k3/8/8/8/8/8/4P3/4K3 w - - bm e4; pv e4 Kd7;"],
    }
    lists = [[]]
    for parameter in parameters:
        lists = [before + [value] for before in lists for value in values[parameter.name]]
    return [(args, {}) if all(p.kind != p.KEYWORD_ONLY for p in parameters) else
            ((), {p.name: v for p, v in zip(parameters, args)}) for args in lists]


@pytest.mark.parametrize("breaking", MAKERS.values(), ids=MAKERS.keys())
def test_added_methods_answer_or_raise_value_error_on_broken_boards(breaking):
    for name in ADDED:
        for args, kwargs in arguments(breaking(), name):
            board = breaking()
            before = game_state(board)
            try:
                getattr(board, name)(*args, **kwargs)
            except ValueError:
                pass
            except IndexError:
                assert name == "peek"  # python-chess's error for an empty stack
            except PanicException as panic:
                pytest.fail(f"{name}{args}{kwargs} panicked: {panic}")
            if name not in EDITING:
                assert game_state(board) == before, name
    for name in ("move_stack", "halfmove_clock", "fullmove_number", "ep_square"):
        getattr(breaking(), name)


@pytest.mark.parametrize("breaking, inconsistent", BROKEN.values(), ids=BROKEN.keys())
def test_broken_boards_read_as_their_text_form(breaking, inconsistent):
    board = breaking()
    ranks = [line.split() for line in str(board).splitlines()][::-1]
    letters = [ranks[square // 8][square % 8] for square in range(64)]
    assert [board.piece_at(square) or "." for square in range(64)] == letters
    assert board.piece_map() == {square: letter for square, letter in reversed(list(enumerate(letters)))
                                 if letter != "."}
    assert (board.status() & 1 << 31 != 0, board.is_valid()) == (inconsistent, False)


@pytest.mark.parametrize("why, make, message", [
    ("white king", broken(START, ("set_pieces_xor", "K", 1 << 4)), "broken position: White has no king"),
    ("black king", broken("4k3/8/8/8/8/8/8/4K3 w - - 0 1", ("set_pieces_xor", "k", 1 << 60)),
     "broken position: Black has no king"),
    ("en passant", broken("4k3/8/8/8/8/8/3P4/4K3 w - e9 0 1"),
     "broken position: the en-passant square e9 is off the board"),
    ("king", broken("4k3/8/8/8/8/8/8/r3K3 b - - 0 1"), "broken position: Black can take White's king"),
])
def test_broken_positions_are_named(why, make, message):
    for call in (lambda b: b.outcome(), lambda b: b.result(claim_draw=True), lambda b: b.can_claim_draw(),
                 lambda b: b.can_claim_fifty_moves(), lambda b: b.can_claim_threefold_repetition(),
                 lambda b: b.lan(Move(4, 12)), lambda b: b.variation_san([Move(4, 12)])):
        with pytest.raises(ValueError) as raised:
            call(make())
        assert str(raised.value) == message, why


@pytest.mark.parametrize("call, kind, message", [
    (lambda b: b.piece_at(64), ValueError, "square 64 is off the board: squares are 0 to 63"),
    (lambda b: b.attacks(-1), ValueError, "square -1 is off the board: squares are 0 to 63"),
    (lambda b: b.attackers(True, 2**70), ValueError, f"square {2**70} is off the board: squares are 0 to 63"),
    (lambda b: b.piece_at("e4"), TypeError, "argument 'square': 'str' object cannot be interpreted as an integer"),
    (lambda b: b.king(1), TypeError, "argument 'color': 'int' object cannot be converted to 'PyBool'"),
    (lambda b: b.pin(None, 4), TypeError, "argument 'color': 'NoneType' object cannot be converted to 'PyBool'"),
    (lambda b: b.outcome(True), TypeError, "Board.outcome() takes 0 positional arguments but 1 was given"),
    (lambda b: b.result(claim_draw=True, x=1), TypeError, "Board.result() got an unexpected keyword argument 'x'"),
    (lambda b: b.is_capture(Move(64, 0)), ValueError, "move a9a1 leaves the board"),
    (lambda b: b.is_castling(Move(0, 2**32 - 1)), ValueError, "move a1h32 leaves the board"),
    (lambda b: b.gives_check(Move(20, 28)), ValueError, "no piece to move on e3 for e3e4"),
    (lambda b: b.gives_check(Move(12, 20, "x")), ValueError, "invalid promotion letter in e2e3x"),
    (lambda b: b.gives_check(12), TypeError, "argument 'move': 'int' object cannot be converted to 'Move'"),
    (lambda b: b.lan(Move(12, 36)), ValueError, f"illegal move: 'e2e5' in {START}"),
    (lambda b: b.variation_san([Move(12, 28), Move(12, 28)]), ValueError,
     "illegal move: 'e2e4' in rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"),
    (lambda b: b.variation_san(5), TypeError, "argument 'moves': 'int' object is not iterable"),
    (lambda b: b.variation_san([Move(12, 28), "e7e5"]), TypeError,
     "argument 'moves': 'str' object cannot be converted to 'Move'"),
    (lambda b: b.variation_san(iter(())), None, ""),
    (lambda b: b.peek(), IndexError, "peek from an empty move stack"),
    (lambda b: b.set_piece_at(0, "X"), ValueError, "invalid piece letter: 'X' (expected one of PNBRQKpnbrqk)"),
    (lambda b: b.set_piece_at(0, "QQ"), ValueError, "expected a string of length 1"),
    (lambda b: b.set_piece_at(64, "Q"), ValueError, "square 64 is off the board: squares are 0 to 63"),
    (lambda b: b.set_fen("8/8/8/8/8/8/8/8 w - - 0 -1"), ValueError,
     "fullmove number cannot be negative: '8/8/8/8/8/8/8/8 w - - 0 -1'"),
    (lambda b: b.set_fen(None), TypeError, "argument 'fen': 'NoneType' object cannot be converted to 'PyString'"),
    (lambda b: setattr(b, "halfmove_clock", 3), AttributeError, None),
    (lambda b: delattr(b, "move_stack"), AttributeError, None),
])
def test_argument_errors_leave_the_board_unchanged(start, call, kind, message):
    before = game_state(start)
    if kind is None:
        assert call(start) == message
        return
    with pytest.raises(kind) as raised:
        call(start)
    assert type(raised.value) is kind and (message is None or str(raised.value) == message)
    assert game_state(start) == before


def test_read_only_attributes_say_so(start):
    with pytest.raises(AttributeError, match="'move_stack' of 'builtins.Board' objects is not writable"):
        start.move_stack = []


# ---------------------------------------------------------------- Outcome and Termination


def test_termination_members_are_python_chess_names_and_values():
    names = [member.name for member in chess.Termination][:7]
    assert [getattr(Termination, name).value for name in names] == [chess.Termination[name].value for name in names]
    for name in names:
        member = getattr(Termination, name)
        assert (member.name, Termination(member.value), Termination(member)) == (name, member, member)
        assert (repr(member), str(member)) == (repr(chess.Termination[name]), str(chess.Termination[name]))
        assert pickle.loads(pickle.dumps(member)) is member is copy.deepcopy(member)


@pytest.mark.parametrize("value, kind, message", [
    (0, ValueError, "0 is not a valid Termination"), (8, ValueError, "8 is not a valid Termination"),
    (2**80, ValueError, f"{2**80} is not a valid Termination"), ("CHECKMATE", ValueError,
                                                                 "'CHECKMATE' is not a valid Termination")])
def test_termination_lookup_errors(value, kind, message):
    with pytest.raises(kind) as raised:
        Termination(value)
    assert str(raised.value) == message


def test_outcome_objects():
    win, draw = Outcome(Termination.CHECKMATE, False), Outcome(termination=Termination.STALEMATE, winner=None)
    theirs = chess.Outcome(chess.Termination.CHECKMATE, False)
    assert (repr(win), win.result(), draw.result()) == (repr(theirs), "0-1", "1/2-1/2")
    assert win == Outcome(Termination.CHECKMATE, False) and win != draw and win != theirs
    assert hash(win) == hash(Outcome(Termination.CHECKMATE, False))
    assert len({win, draw, Outcome(Termination.CHECKMATE, True)}) == 3
    assert pickle.loads(pickle.dumps(win)) == win and copy.copy(win) == win
    with pytest.raises(AttributeError):
        win.winner = True
    for arguments, message in [
            ((1, True), "argument 'termination': 'int' object cannot be converted to 'Termination'"),
            ((Termination.CHECKMATE, 1), "argument 'winner': 'int' object cannot be converted to 'Optional[bool]'"),
            ((Termination.CHECKMATE,), "Outcome.__new__() missing 1 required positional argument: 'winner'")]:
        with pytest.raises(TypeError) as raised:
            Outcome(*arguments)
        assert str(raised.value) == message


@pytest.mark.parametrize("cls", [Outcome, Termination])
def test_outcome_classes_are_immutable_and_final(cls):
    assert (cls.__module__, cls.__name__, cls.__doc__.startswith(("How", "Why"))) == ("tarvik", cls.__name__, True)
    with pytest.raises(TypeError, match="is not an acceptable base type"):
        type("Sub", (cls,), {})
    with pytest.raises(TypeError, match="immutable type"):
        cls.result = None
    assert tarvik.__all__ == ["Board", "Move", "hello_world"] and getattr(tarvik, cls.__name__) is cls


# ---------------------------------------------------------------- editing


def test_set_fen_replaces_the_game_and_its_fen_text():
    board = Board()
    board.push_san("e4")
    board.set_fen("r3k2r/8/8/8/8/8/8/4K2R b KQkq - 7")
    assert (board.to_fen(), board.move_stack) == ("r3k2r/8/8/8/8/8/8/4K2R b Kkq - 7 1", [])
    board.push_san("O-O")
    board.set_board()  # back to the FEN text set_fen gave, not the first one
    assert board.to_fen() == "r3k2r/8/8/8/8/8/8/4K2R b Kkq - 7 1"
    assert pickle.loads(pickle.dumps(board)).to_fen() == board.to_fen()
    before = game_state(board)
    with pytest.raises(ValueError):
        board.set_fen("r3k2r/8/8/8/8/8/8/4K2R x")
    assert game_state(board) == before


def test_edits_keep_the_sets_consistent_and_clear_the_stacks():
    board = Board()
    board.push_san("e4")
    board.set_pieces_or("n", 1 << 12)  # e2, left empty, now a black knight and a white pawn's old square
    board.set_pieces_or("P", 1 << 12)
    board.set_piece_at(12, "B")
    # A white bishop alone: seventeen white pieces, and e2 no longer empty behind the en-passant square.
    assert (board.piece_at(12), board.status(), board.move_stack) == ("B", 512 | 64, [])
    assert board.remove_piece_at(12) == "B" and board.status() == 0
    board.set_piece_at(12, None)
    assert board.piece_at(12) is None
    assert board.to_fen() == "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"
    board.set_board()  # the FEN text the board was made from is kept
    assert board.to_fen() == START


def test_clearing_the_stack_drops_rights_python_chess_has_dropped():
    fen = "4k3/p7/8/8/8/8/8/R3K2R w KQkq - 0 1"  # Black's rights have no rooks
    ours, theirs = Board(fen), chess.Board(fen)
    assert ours.status() == theirs.status() == chess.STATUS_BAD_CASTLING_RIGHTS
    for san in ["Rh2", "a6"]:
        ours.push_san(san)
        theirs.push_san(san)
    assert ours.to_fen().split()[2] == "Qkq" and ours.status() == theirs.status() == 0
    ours.clear_stack()
    theirs.clear_stack()
    assert ours.to_fen() == theirs.fen() == "4k3/8/p7/8/8/8/7R/R3K3 w Q - 0 2"
    assert ours.status() == theirs.status() == 0


@pytest.mark.parametrize("name", ["a knight in no colour", "a bishop that is a knight too"])
def test_mirror_of_a_broken_board_mirrors_every_set(name):
    board = MAKERS[name]()
    mirrored = board.mirror()
    flip = lambda bits: int.from_bytes(bits.to_bytes(8, "little"), "big")  # noqa: E731
    assert [mirrored.get_pieces(letter) for letter in "prnbqka"] == [
        flip(board.get_pieces(letter)) for letter in "prnbqka"]
    assert mirrored.get_pieces("w") == flip(board.get_pieces("a") & ~board.get_pieces("w"))
    assert observable(mirrored.mirror()) == observable(board)
