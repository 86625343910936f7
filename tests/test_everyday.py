"""The everyday methods where random play rarely goes: repetitions (also those that hinge on an en-passant
square or on castling letters beyond KQkq), the clocks, material, notation corners, every error path, copies
and pickles (pickled states that must be refused whole), and broken boards."""

import copy
import pickle
import random
import subprocess
import sys

import chess
import pytest
from hypothesis import assume, given, settings
from hypothesis import strategies as st

import tarvik
from conftest import PanicException, observable, played_san, ucis
from tarvik import Board, Move

START = chess.STARTING_FEN
SHUFFLE = ["Nf3", "Nf6", "Ng1", "Ng8"]


def game_state(board):
    """Everything a caller can see, both stacks included (taken back on a copy)."""
    replay = board.copy()
    popped = []
    while True:
        try:
            popped.append(replay.pop().uci())
        except PanicException:
            return observable(board), board.to_fen(), popped, replay.to_fen()


@pytest.mark.parametrize("shuffles, twofold, threefold, fivefold", [
    (0, False, False, False), (1, True, False, False), (2, True, True, False), (3, True, True, False),
    (4, True, True, True)])
def test_repetition_by_knight_shuffles(shuffles, twofold, threefold, fivefold):
    board = played_san(START, ["e4", "e5"] + SHUFFLE * shuffles)
    assert (board.is_repetition(2), board.is_repetition(), board.is_fivefold_repetition()) == (
        twofold, threefold, fivefold)
    assert board.is_repetition(1) and board.is_repetition(-5)
    theirs = chess.Board()
    for move in ["e4", "e5"] + SHUFFLE * shuffles:
        theirs.push_san(move)
    assert [board.is_repetition(n) for n in range(6)] == [theirs.is_repetition(n) for n in range(6)]


def test_repetition_stops_at_an_irreversible_move():
    # The same position twice on each side of a pawn move, and twice after castling rights were given up.
    assert not played_san(START, SHUFFLE + ["e4", "e5"] + SHUFFLE[:2] + ["Ng1", "Ng8"]).is_repetition(3)
    assert not played_san("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",
                      ["Ke2", "Ke7", "Ke1", "Ke8", "Ke2", "Ke7", "Ke1", "Ke8"]).is_repetition(3)
    assert played_san("r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1",
                  ["Ke2", "Ke7", "Ke1", "Ke8", "Ke2", "Ke7", "Ke1", "Ke8"]).is_repetition(3)


@pytest.mark.parametrize("fen, fifty, seventyfive", [
    ("7k/8/8/8/8/8/8/K5R1 w - - 99 80", False, False),
    ("7k/8/8/8/8/8/8/K5R1 w - - 100 80", True, False),
    ("7k/8/8/8/8/8/8/K5R1 w - - 149 80", True, False),
    ("7k/8/8/8/8/8/8/K5R1 w - - 150 80", True, True),
    ("7k/6Q1/6K1/8/8/8/8/8 b - - 150 80", False, False),  # checkmated: the game ended first
    ("7k/5Q2/6K1/8/8/8/8/8 b - - 150 80", False, False),  # stalemated
])
def test_clock_rules(fen, fifty, seventyfive):
    board = Board(fen)
    assert (board.is_fifty_moves(), board.is_seventyfive_moves()) == (fifty, seventyfive)
    assert (fifty, seventyfive) == (chess.Board(fen).is_fifty_moves(), chess.Board(fen).is_seventyfive_moves())


def test_a_mate_on_the_hundredth_half_move_is_no_fifty_move_draw():
    board = Board("7k/8/6K1/8/8/8/8/R7 w - - 99 80")
    assert not board.is_fifty_moves()
    board.push_san("Ra8#")
    assert board.to_fen().endswith(" 100 80") and board.is_checkmate() and not board.is_fifty_moves()


@pytest.mark.parametrize("placement, insufficient", [
    ("4k3/8/8/8/8/8/8/4K3", True),
    ("4k3/8/8/8/8/8/8/4KN2", True),
    ("4k3/8/8/8/8/8/8/3NKN2", False),  # two knights can mate a helping king
    ("4kb2/8/8/8/8/8/8/4KN2", False),  # a bishop could block its own king in for the knight
    ("4kr2/8/8/8/8/8/8/4KN2", False),
    ("4k3/8/8/8/8/8/8/2B1KB2", False),  # bishops on both colours
    ("4kb2/8/8/8/8/8/8/2B1K3", True),  # both bishops on dark squares
    ("2b1k3/8/8/8/8/8/8/2B1K3", False),
    ("4k3/8/8/8/8/8/p7/4KB2", False),
    ("4k3/8/8/8/8/8/8/4K2R", False),
])
def test_insufficient_material(placement, insufficient):
    fen = f"{placement} w - - 0 1"
    assert Board(fen).is_insufficient_material() is insufficient is chess.Board(fen).is_insufficient_material()


@pytest.mark.parametrize("fen, uci, san", [
    ("4k3/8/8/8/8/8/8/R4RK1 w - - 0 1", "a1c1", "Rac1"),  # same rank: the file
    ("4k3/8/8/8/R7/8/8/R3K3 w - - 0 1", "a1a2", "R1a2"),  # same file: the rank
    ("4k3/8/8/8/8/8/Q7/Q1Q1K3 w - - 0 1", "a1b2", "Qa1b2"),  # both
    ("4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "b1d2", "Nbd2"),  # apart on both: the file
    ("4k3/8/8/8/8/8/4P3/1N2K3 w - - 0 1", "b1d2", "Nd2"),
    ("4k3/8/8/8/1n6/8/3N4/4K3 w - - 0 1", "d2b3", "Nb3"),  # the other side's knight does not count
    ("4rkr1/4p1p1/8/8/8/8/8/4K2R w K - 0 1", "e1g1", "O-O#"),
    ("r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7a8q", "bxa8=Q+"),
    ("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8r", "b8=R+"),
    ("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8n", "b8=N"),
    ("8/8/8/8/8/8/5PPP/3k2KR b - - 0 1", "d1e1", "Ke1"),
    ("6rk/6pp/8/8/8/8/8/R3K3 w Q - 0 1", "e1c1", "O-O-O"),
    ("6k1/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", "O-O"),
    ("5k2/5ppp/8/8/8/8/8/4K2R w K - 0 1", "e1g1", "O-O"),
    ("3k4/3ppp2/8/8/8/8/8/R3K3 w Q - 0 1", "e1c1", "O-O-O"),
    ("8/4k3/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", "exd6+"),
    ("3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", "e1c1", "O-O-O+"),
    ("3k4/8/3K4/8/8/8/8/7R w K - 0 1", "h1h8", "Rh8#"),
    ("6k1/5pp1/8/8/8/8/8/4K2R w K - 0 1", "h1h8", "Rh8+"),
    ("6k1/5ppp/8/8/8/8/8/R3K3 w Q - 0 1", "a1a8", "Ra8#"),
    ("6k1/5ppp/8/8/8/8/5PPP/4K2R w K - 0 1", "e1g1", "O-O"),
    ("1k6/8/1K6/8/8/8/8/R3K3 w Q - 0 1", "e1c1", "O-O-O"),
])
def test_san_corners(fen, uci, san):
    board = Board(fen)
    theirs = chess.Board(fen)
    move = theirs.parse_uci(uci) if theirs.is_legal(chess.Move.from_uci(uci)) else None
    assert move is not None, f"{uci} is not legal in {fen}"
    assert board.san(Move.from_uci(uci)) == san == theirs.san(move)
    assert board.parse_san(san).uci() == uci


@pytest.mark.parametrize("text, uci", [
    ("Nf3", "g1f3"), ("Nf3+", "g1f3"), ("Nf3!", "g1f3"), ("Nf3?!", "g1f3"), ("Nf3!!", "g1f3"), ("Nf3??", "g1f3"),
    ("Ng1f3", "g1f3"), ("Ngf3", "g1f3"), ("N1f3", "g1f3"), ("g1f3", "g1f3"), ("e4", "e2e4"), ("e2e4", "e2e4"),
    ("Ng1-f3", "g1f3"),
])
def test_parse_san_variants_at_the_start(text, uci):
    assert Board().parse_san(text).uci() == uci


@pytest.mark.parametrize("fen, text, uci", [
    ("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b8Q", "b7b8q"),
    ("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b8=Q+", "b7b8q"),
    ("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b8=q", "b7b8q"),
    ("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "0-0", "e1g1"),
    ("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "O-O-O!?", "e1c1"),
    ("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "0-0-0", "e8c8"),
    ("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1h1", "e1g1"),
    ("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8a8", "e8c8"),
    ("4k3/8/8/8/8/8/8/4K2R w K - 0 1", "Ke1-f1", "e1f1"),
])
def test_parse_san_variants(fen, text, uci):
    assert Board(fen).parse_san(text).uci() == uci


AFTER_E4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"


@pytest.mark.parametrize("call, message", [
    (lambda b: b.push_uci("e2e9"), f"invalid uci: 'e2e9' in {AFTER_E4}"),
    (lambda b: b.push_uci("E7E5"), f"invalid uci: 'E7E5' in {AFTER_E4}"),
    (lambda b: b.push_uci("e7e5q"), f"illegal uci: 'e7e5q' in {AFTER_E4}"),
    (lambda b: b.push_uci("e2e4"), f"illegal uci: 'e2e4' in {AFTER_E4}"),
    (lambda b: b.push_san("Nf6x"), f"invalid san: 'Nf6x' in {AFTER_E4}"),
    (lambda b: b.push_san(""), f"invalid san: '' in {AFTER_E4}"),
    (lambda b: b.push_san("Nf3"), f"illegal san: 'Nf3' in {AFTER_E4}"),
    (lambda b: b.parse_san("O-O"), f"illegal san: 'O-O' in {AFTER_E4}"),
    (lambda b: b.parse_san("exd5"), f"illegal san: 'exd5' in {AFTER_E4}"),
    (lambda b: b.san(Move(12, 28)), f"illegal move: 'e2e4' in {AFTER_E4}"),
    (lambda b: b.san(Move(52, 36, "q")), f"illegal move: 'e7e5q' in {AFTER_E4}"),
    (lambda b: b.__setstate__(b"\x01"), "invalid Board state"),
    (lambda b: b.__setstate__(b.__reduce__()[2][:-1]), "invalid Board state"),
    (lambda b: b.__setstate__(b.__reduce__()[2] + b"\x00"), "invalid Board state"),
    (lambda b: Move.from_uci("e2e4Q"), "invalid uci: 'e2e4Q'"),
    (lambda b: Move.from_uci("0000"), "invalid uci: '0000'"),
])
def test_rejected_text_leaves_the_board_unchanged(call, message):
    board = played_san(START, ["e4"])
    before = game_state(board)
    with pytest.raises(ValueError) as excinfo:
        call(board)
    assert (type(excinfo.value), str(excinfo.value)) == (ValueError, message)
    assert game_state(board) == before


@pytest.mark.parametrize("fen, text", [
    ("4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "Ra3"),
    ("4k3/8/8/8/8/5N2/8/1N2K3 w - - 0 1", "Nd2"),
])
def test_ambiguous_san(fen, text):
    board = Board(fen)
    with pytest.raises(ValueError) as excinfo:
        board.push_san(text)
    assert str(excinfo.value) == f"ambiguous san: '{text}' in {fen}"
    assert board.to_fen() == fen


@pytest.mark.parametrize("text", ["Kg1", "Ke1g1", "Kxg1", "O-O-O", "e1g1q"])
def test_a_king_step_onto_the_castling_square_is_no_castling(text):
    # Castling is written O-O (or given as the king's move in full); python-chess agrees.
    fen = "4k3/8/8/8/8/8/8/4K2R w K - 0 1"
    with pytest.raises(ValueError, match=f"illegal san: '{text}' in {fen}"):
        Board(fen).parse_san(text)
    assert Board(fen).parse_san("O-O").uci() == "e1g1" == Board(fen).parse_san("e1g1").uci()


def test_san_on_a_board_whose_check_test_has_no_answer():
    board = Board("4k3/8/8/8/8/8/8/4K3 w - - 0 1")
    board.set_pieces_xor("p", 1 << 3)  # a pawn of no colour on d1
    board.set_pieces_or("b", 1 << 4)   # e1 in both colours, a bishop and a king
    assert board.san(Move(4, 13)) == "Bf2"  # no check mark: no king for the check test to find


@pytest.mark.parametrize("call, kind, message", [
    (lambda b: b.push_uci(), TypeError, "Board.push_uci() missing 1 required positional argument: 'uci'"),
    (lambda b: b.push_uci(5), TypeError, "argument 'uci': 'int' object cannot be converted to 'PyString'"),
    (lambda b: b.san("e2e4"), TypeError, "argument 'move': 'str' object cannot be converted to 'Move'"),
    (lambda b: b.is_repetition(1, 2), TypeError, "Board.is_repetition() takes from 0 to 1 positional arguments but 2 were given"),
    (lambda b: b.is_repetition(2**64), OverflowError, None),
    (lambda b: b.perft(-1), OverflowError, "out of range integral type conversion attempted"),
    (lambda b: b.__setstate__("x"), TypeError, "argument 'state': 'str' object cannot be converted to 'PyBytes'"),
    (lambda b: Move.from_uci(uci=None), TypeError, "argument 'uci': 'NoneType' object cannot be converted to 'PyString'"),
])
def test_binding_and_conversion_errors(start, call, kind, message):
    before = game_state(start)
    with pytest.raises(kind) as excinfo:
        call(start)
    assert type(excinfo.value) is kind and (message is None or str(excinfo.value) == message)
    assert game_state(start) == before


def test_perft_rejects_a_search_deeper_than_its_bound():
    kings = Board("8/8/8/8/8/8/8/K6k w - - 0 1")
    with pytest.raises(ValueError, match="^perft cannot search deeper than 256 plies$"):
        kings.perft(999)
    assert Board("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1").perft(999) == 0  # no line goes on from stalemate


def test_full_move_number_and_half_move_clock():
    board = Board("4k3/8/8/8/8/8/4P3/4K1N1 w - - 4294967295 7")
    board.push_uci("g1f3")  # the clock counts modulo 2**32
    assert board.to_fen().endswith(" 0 7")
    board.push_uci("e8d8")  # a black move ends the full move
    assert board.to_fen().endswith(" 1 8")
    board.push_uci("e2e4")  # a pawn move resets the clock
    assert board.to_fen() == "3k4/8/8/8/4P3/5N2/8/4K3 b - e3 0 8"
    board.pop(), board.pop(), board.pop()
    assert board.to_fen() == "4k3/8/8/8/8/8/4P3/4K1N1 w - - 4294967295 7"


@pytest.mark.parametrize("make", [Board.copy, copy.copy, copy.deepcopy] + [
    (lambda protocol: lambda b: pickle.loads(pickle.dumps(b, protocol)))(protocol) for protocol in range(2, 6)])
def test_copies_and_pickles_are_whole_and_independent(make):
    board = played_san(START, ["e4", "Nf6", "e5", "d5", "exd6", "exd6", "Nf3", "Be7", "Bc4", "O-O", "O-O"])
    board.set_pieces_or("N", 1 << 27)  # a raw edit, kept as it stands
    other = make(board)
    assert type(other) is Board and other is not board
    assert game_state(other) == game_state(board)
    other.push_san("Nc6")
    other.set_board()
    assert game_state(board) != game_state(other)
    assert [other.pop().uci() for _ in range(5)] == ["b8c6", "e1g1", "e8g8", "f1c4", "f8e7"]


def test_pickles_load_in_a_fresh_interpreter():
    board = played_san(START, ["e4", "c5", "Nf3"])
    data = pickle.dumps((board, board.legal_moves()[:3], Move(64, 255, "\U0001f600")))
    script = ("import pickle, sys; board, moves, odd = pickle.loads(sys.stdin.buffer.read()); "
              "print(board.to_fen(), [m.uci() for m in moves], odd.uci(), board.pop().uci())")
    result = subprocess.run([sys.executable, "-c", script], input=data, capture_output=True, timeout=60)
    assert result.returncode == 0, result.stderr
    expected = f"{board.to_fen()} {ucis(board.legal_moves()[:3])} a9h32\U0001f600 g1f3\n"
    assert result.stdout.decode() == expected


def test_copied_moves_are_new_and_compare_by_identity():
    move = Move(52, 60, "q")
    for other in (copy.copy(move), copy.deepcopy(move), pickle.loads(pickle.dumps(move, 2))):
        assert other is not move and other != move
        assert (other.from_square, other.to_square, other.promotion) == (52, 60, "q")


BROKEN = [
    lambda b: b.set_pieces_xor("K", 1 << 4),  # White without a king
    lambda b: b.set_pieces_or("k", 1 << 20),  # two black kings, one giving check
    lambda b: b.set_pieces_xor("P", 1 << 8),  # a square of no piece in White's set
    lambda b: b.set_pieces_or("q", 0xFF << 16),  # queens in both colours
]
NEW_METHODS = [
    lambda b: b.to_fen(), lambda b: b.copy(), lambda b: b.is_legal(Move(12, 28)), lambda b: b.push_uci("e2e4"),
    lambda b: b.san(Move(12, 28)), lambda b: b.parse_san("Nf3"), lambda b: b.push_san("e4"),
    lambda b: b.zobrist_hash(), lambda b: b.is_repetition(), lambda b: b.is_fifty_moves(),
    lambda b: b.is_seventyfive_moves(), lambda b: b.is_fivefold_repetition(), lambda b: b.is_insufficient_material(),
    lambda b: b.perft(2), lambda b: pickle.loads(pickle.dumps(b)),
]


@pytest.mark.parametrize("breaking", BROKEN)
def test_broken_boards_get_answers_or_clear_errors(breaking):
    for method in NEW_METHODS:
        board = Board("4k3/8/8/8/8/8/PPPPPPPP/4K1N1 w - - 120 40")
        breaking(board)
        try:
            method(board)
        except (ValueError, PanicException):
            pass
        assert Board(board.to_fen()).to_fen() == board.to_fen()


SAN_POSITIONS = [START, "r3k2r/1P4P1/8/3pP3/8/2N2N2/8/R3K2R w KQkq d6 0 1",
                 "r3k2r/8/8/8/8/8/1p4p1/R3K2R b KQkq - 0 1"]


@settings(max_examples=400, deadline=None)
@given(st.sampled_from(SAN_POSITIONS), st.text("NBKRQPabcdh1238x-=nbrqkO0+#@Z ", max_size=7))
def test_san_text_is_read_as_python_chess_reads_it(fen, text):
    # Only where the two differ on purpose is the text left out: python-chess reads
    # null moves ("--", "Z0", "0000", "@@@@"), tarvik reads no null moves.
    assume(text not in ("--", "Z0", "0000", "@@@@"))
    theirs = chess.Board(fen)
    try:
        expected = theirs.parse_san(text).uci()
    except chess.AmbiguousMoveError:
        expected = "ambiguous san"
    except chess.IllegalMoveError:
        expected = "illegal san"
    except chess.InvalidMoveError:
        expected = "invalid san"
    try:
        got = Board(fen).parse_san(text).uci()
    except ValueError as error:
        got = str(error).split(":")[0]
    assert got == expected


# ---------------------------------------------------------------- contrived boards


def test_an_en_passant_capture_that_is_only_pseudo_legal_does_not_make_a_position_new():
    # Taking d6 would bare the white king on the fifth rank, so the first position repeats after four king moves.
    fen, moves = "4k3/8/8/r2pP2K/8/8/8/8 w - d6 0 1", ["Kh6", "Ke7", "Kh5", "Ke8"]
    theirs = chess.Board(fen)
    for move in moves:
        theirs.push_san(move)
    assert played_san(fen, moves).is_repetition(2) is theirs.is_repetition(2) is True


def test_losing_castling_rights_ends_the_search_also_for_letters_play_cannot_delete():
    # X is a right of White's that no move deletes; the king's step still gives it up while it stands away.
    board = played_san("4k3/8/8/8/8/8/8/R3K3 w X - 0 1", ["Kf1", "Kd8", "Ke1", "Ke8"])
    assert board.to_fen() == "4k3/8/8/8/8/8/8/R3K3 w X - 4 3"
    assert not board.is_repetition(2)


@pytest.mark.parametrize("fen, moves, castling", [
    ("r3k2r/8/8/8/8/8/8/R3K2R w KXkq - 0 1", [], "KXkq"),
    ("r3k2r/8/8/8/8/8/8/R3K2R w KXkq - 0 1", ["Rg1"], "Xkq"),
])
def test_to_fen_keeps_castling_characters_beyond_kqkq(fen, moves, castling):
    assert played_san(fen, moves).to_fen().split()[2] == castling


def test_a_move_a_broken_board_lists_twice_is_not_ambiguous():
    board = Board("4k3/8/8/8/8/8/8/R3K3 w - - 0 1")
    board.set_pieces_or("Q", 1)  # a1 is a rook and a queen: both list a1a2
    assert ucis(board.legal_moves()).count("a1a2") == 2
    assert board.parse_san("Ra2").uci() == "a1a2"


def test_a_straight_push_onto_the_en_passant_square_is_no_capture():
    fen = "4k3/8/8/3P4/8/8/8/4K3 w - d6 0 1"  # d6 set, though no black pawn pushed past it
    assert Board(fen).san(Move(35, 43)) == "d6" == chess.Board(fen).san(chess.Move.from_uci("d5d6"))


# ---------------------------------------------------------------- pickled states

POSITION_AT = 5  # after the version byte and the move count
TURN_AT = POSITION_AT + 64 + 8 + 2
CASTLING_LETTERS_AT = TURN_AT + 2


def state_of(fen, moves):
    return played_san(fen, moves).__reduce__()[2]


def refused(board, state):
    before = game_state(board)
    with pytest.raises(ValueError, match="^invalid Board state$"):
        board.__setstate__(state)
    assert game_state(board) == before


@pytest.mark.parametrize("change", [
    lambda s: s[:TURN_AT] + b"\x02" + s[TURN_AT + 1:],                                # a turn byte above 1
    lambda s: s[:CASTLING_LETTERS_AT] + b"\x10" + s[CASTLING_LETTERS_AT + 1:],        # an unknown castling letter
    lambda s: s[:1] + (2**32 - 1).to_bytes(4, "little") + s[5:],                      # four billion moves claimed
    lambda s: s[:1] + (3).to_bytes(4, "little") + s[5:],                              # one move more than given
])
def test_setstate_refuses_a_bad_field_and_changes_nothing(change):
    state = state_of("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", ["O-O", "Kd8"])
    target = played_san(chess.STARTING_FEN, ["e4", "e5"])  # another board: nothing of the state may reach it
    refused(target, change(state))


def test_setstate_fuzzed_with_truncated_and_flipped_states():
    rng = random.Random(11)
    states = [state_of(fen, moves) for fen, moves in [
        (chess.STARTING_FEN, ["e4", "d5", "exd5", "Qxd5"]), ("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", ["O-O-O"]),
        ("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", [])]]
    target = played_san(chess.STARTING_FEN, ["Nf3"])
    for state in states:
        for cut in range(len(state)):
            refused(target, state[:cut])
        for _ in range(300):
            at, bit = rng.randrange(len(state)), 1 << rng.randrange(8)
            flipped = state[:at] + bytes([state[at] ^ bit]) + state[at + 1:]
            before = game_state(target)
            try:
                target.__setstate__(flipped)
            except ValueError:
                assert game_state(target) == before
            else:
                # Accepted (a flip in a piece set, or in a field its flag says is unused): the board pickles whole.
                assert game_state(pickle.loads(pickle.dumps(target))) == game_state(target)
                target = played_san(chess.STARTING_FEN, ["Nf3"])
