"""Nothing leaks: every method, on its success and on its error paths, called many times.

Two counts must stay flat: the interpreter's allocated blocks (Python objects, the
moves and lists a call returns, exceptions) and the bytes held by the C allocator
(the engine's records, stacks and texts, which the interpreter does not count). The
objects passed as arguments must keep their reference counts.
"""

import copy
import gc
import io
import os
import pickle
import random
import struct
import sys
import tempfile

import pytest

import tarvik
from conftest import c_heap_bytes
from tarvik import Board, Game, Move, Outcome, Termination, read_pgn

KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
NO_BLACK_KING = "8/8/8/8/8/8/8/4K3 w - - 0 1"
CALLS = 2000


class Index:
    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value()


def board_state():
    # The class is reachable only as the type _restore demands.
    with pytest.raises(TypeError):
        Board()._restore(None)
    return next(o for o in gc.get_objects() if isinstance(o, type) and o.__qualname__ == "BoardState")


def reentrant_index(board):
    return Index(lambda: board.get_pieces("p"))


PGN = (b'[Event "x"]\n[FEN "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1"]\n\n1. b8=Q+ { [%clk 0:01:00] } ( 1. b8=N $1 ) Kd7 *\n\n'
       b"1. e4 e5 2. Ke3 Nc6 1-0\n")


class FailingStream:
    def read(self, size):
        raise OSError("the disk is gone")


KIWI = Board(KIWIPETE)
# Found once: searching every object for it on each call makes the case as slow as the heap is large.
BOARD_STATE = board_state()
GAME = Board()
for _san in ["e4", "e5", "Nf3", "Nc6"]:
    GAME.push_san(_san)
MATED = Board("7k/6Q1/6K1/8/8/8/8/8 b - - 0 1")
E2E4 = Move(12, 28)
BAD = Move(20, 28)  # no piece on e3
PROMOTION = Move(52, 60, "Q")  # an upper-case letter is no promotion

def write_book():
    """A book for the starting position (e2e4, d2d4, castling stored as e1h1) and an unreadable one."""
    directory = tempfile.mkdtemp()
    start = Board().zobrist_hash()
    book = os.path.join(directory, "book.bin")
    with open(book, "wb") as file:
        file.write(b"".join(struct.pack(">QHHI", start, raw, weight, 0) for raw, weight in
                            [(12 << 6 | 28, 2), (11 << 6 | 27, 1), (4 << 6 | 7, 1), (6 << 12 | 12 << 6 | 20, 1)]))
    truncated = os.path.join(directory, "truncated.bin")
    with open(truncated, "wb") as file:
        file.write(b"\0" * 17)
    return book, truncated


def read_with(path):
    with tarvik.open_book(path) as book:
        return len(book)


BOOK, TRUNCATED = write_book()
READER = tarvik.open_book(BOOK)
CLOSED = tarvik.open_book(BOOK)
CLOSED.close()
ENTRY = READER.find(Board())
RANDOM = random.Random(7)

# (label, function, arguments); each call makes its own board where it changes one.
CASES = [
    ("Board()", Board, ()),
    ("Board(fen)", Board, (KIWIPETE,)),
    ("Board(short fen)", Board, ("8/8 w - -",)),
    ("Board(bad letter)", Board, ("x7/8/8/8/8/8/8/8 w - - 0 1",)),
    ("Board(5)", Board, (5,)),
    ("Board(surrogate)", Board, ("\ud800",)),
    ("Board(a, b)", Board, ("a", "b")),
    ("str", str, (KIWI,)),
    ("repr", repr, (KIWI,)),
    ("turn get", lambda b: b.turn, (KIWI,)),
    ("turn set", lambda v: setattr(Board(), "turn", v), (False,)),
    ("turn set 1", lambda v: setattr(Board(), "turn", v), (1,)),
    ("turn del", lambda: delattr(Board(), "turn"), ()),
    ("set_board", lambda: Board().set_board(), ()),
    ("get_pieces", KIWI.get_pieces, ("a",)),
    ("get_pieces x", KIWI.get_pieces, ("x",)),
    ("get_pieces pp", KIWI.get_pieces, ("pp",)),
    ("get_pieces 5", KIWI.get_pieces, (5,)),
    ("get_pieces()", KIWI.get_pieces, ()),
    ("set_pieces_or", lambda *a: Board().set_pieces_or(*a), ("N", 1 << 27)),
    ("set_pieces_or W", lambda *a: Board().set_pieces_or(*a), ("W", 1)),
    ("set_pieces_or -1", lambda *a: Board().set_pieces_or(*a), ("P", -1)),
    ("set_pieces_xor", lambda *a: Board().set_pieces_xor(*a), ("P", 1 << 8)),
    ("set_pieces_xor reentrant", lambda: (b := Board()).set_pieces_xor("P", reentrant_index(b)), ()),
    *[(name, getattr(KIWI, name), ()) for name in (
        "pawn_moves", "knight_moves", "king_moves", "bishop_moves", "rook_moves", "queen_moves",
        "pseudo_legal_moves", "is_check", "_castling_moves", "legal_moves", "_check_castling_rights",
        "is_checkmate", "is_stalemate", "is_game_over")],
    *[(f"{name} failing", getattr(Board(NO_BLACK_KING), name), ()) for name in (
        "pseudo_legal_moves", "is_check", "legal_moves", "is_stalemate")],
    ("king_moves failing", Board("8/8/8/8/8/8/8/8 w - - 0 1").king_moves, ()),
    ("_is_attacked", KIWI._is_attacked, (44,)),
    ("_is_attacked 256", KIWI._is_attacked, (256,)),
    ("_is_attacked failing", Board(NO_BLACK_KING)._is_attacked, (3,)),
    ("_reset_half_move_clock", KIWI._reset_half_move_clock, (1 << 12, 0)),
    ("_reset_half_move_clock float", KIWI._reset_half_move_clock, (0, 1.0)),
    ("_remove_castling_rights", lambda i: Board()._remove_castling_rights(i), ("k",)),
    ("_remove_castling_rights x", lambda i: Board()._remove_castling_rights(i), ("x",)),
    ("apply_move", lambda m: Board().apply_move(m), (E2E4,)),
    ("apply_move + pop", lambda m: ((b := Board()).apply_move(m), b.pop()), (E2E4,)),
    ("apply_move no piece", lambda m: Board().apply_move(m), (BAD,)),
    ("apply_move promotion", lambda m: Board("4k3/4P3/8/8/8/8/8/4K3 w - - 0 1").apply_move(m), (PROMOTION,)),
    ("apply_move 5", lambda m: Board().apply_move(m), (5,)),
    ("apply_move keyword", lambda m: Board().apply_move(mov=m, x=1), (E2E4,)),
    ("pop empty", lambda: Board().pop(), ()),
    ("_restore None", KIWI._restore, (None,)),
    ("BoardState()", lambda: BOARD_STATE(), ()),
    ("Move", Move, (12, 28, "q")),
    ("Move -1", Move, (-1, 28)),
    ("Move qq", Move, (12, 28, "qq")),
    ("Move()", Move, ()),
    ("Move uci", E2E4.uci, ()),
    ("Move attributes", lambda m: (m.from_square, m.to_square, m.promotion, str(m)), (PROMOTION,)),
    ("Move set", lambda m: setattr(Move(1, 2), "promotion", m), ("q",)),
    ("Move set e2", lambda m: setattr(Move(1, 2), "from_square", m), ("e2",)),
    # Beyond the core.
    ("to_fen", KIWI.to_fen, ()),
    ("copy", KIWI.copy, ()),
    ("copy.deepcopy", copy.deepcopy, (KIWI,)),
    ("pickle", lambda b: pickle.loads(pickle.dumps(b)), (KIWI,)),
    ("__setstate__ bad", lambda state: Board().__setstate__(state), (b"\x01\x00",)),
    ("is_legal", KIWI.is_legal, (E2E4,)),
    ("push_uci", lambda text: Board().push_uci(text), ("e2e4",)),
    ("push_uci invalid", lambda text: Board().push_uci(text), ("e2e9",)),
    ("push_uci illegal", lambda text: Board().push_uci(text), ("e2e5",)),
    ("san", lambda m: Board().san(m), (E2E4,)),
    ("san illegal", lambda m: Board().san(m), (BAD,)),
    ("parse_san", KIWI.parse_san, ("Qxf6",)),
    ("parse_san ambiguous", Board("4k3/8/8/R7/8/8/8/R3K3 w - - 0 1").parse_san, ("Ra3",)),
    ("push_san", lambda text: Board().push_san(text), ("Nf3",)),
    ("push_san invalid", lambda text: Board().push_san(text), ("Nf9",)),
    ("zobrist_hash", KIWI.zobrist_hash, ()),
    ("is_repetition", lambda: (b := Board()).push_san("Nf3") and b.is_repetition(2), ()),
    ("is_repetition 2**64", KIWI.is_repetition, (2**64,)),
    *[(name, getattr(KIWI, name), ()) for name in (
        "is_fifty_moves", "is_seventyfive_moves", "is_fivefold_repetition", "is_insufficient_material")],
    ("perft", KIWI.perft, (2,)),
    ("perft failing", Board(NO_BLACK_KING).perft, (2,)),
    ("from_fen", Board.from_fen, (KIWIPETE,)),
    ("from_fen bad", Board.from_fen, ("8/8/8/8/8/8/8/8 w - - 0 -1",)),
    ("from_fen 5", Board.from_fen, (5,)),
    # The python-chess-style API.
    ("piece_at", KIWI.piece_at, (12,)),
    ("piece_at 64", KIWI.piece_at, (64,)),
    ("piece_map", KIWI.piece_map, ()),
    ("king", KIWI.king, (True,)),
    ("king 1", KIWI.king, (1,)),
    ("attackers", KIWI.attackers, (False, 20)),
    ("attacks", KIWI.attacks, (21,)),
    ("checkers", KIWI.checkers, ()),
    ("is_pinned", KIWI.is_pinned, (True, 11)),
    ("pin", KIWI.pin, (False, 52)),
    ("has_kingside_castling_rights", KIWI.has_kingside_castling_rights, (True,)),
    ("has_queenside_castling_rights", KIWI.has_queenside_castling_rights, (False,)),
    ("peek", GAME.peek, ()),
    ("peek empty", KIWI.peek, ()),
    ("ply", GAME.ply, ()),
    *[(name, lambda b, name=name: getattr(b, name), (GAME,))
      for name in ("move_stack", "halfmove_clock", "fullmove_number", "ep_square")],
    ("outcome", KIWI.outcome, ()),
    ("outcome mate", MATED.outcome, ()),
    ("outcome claim_draw", lambda: GAME.outcome(claim_draw=True), ()),
    ("outcome broken", Board(NO_BLACK_KING).outcome, ()),
    ("outcome positional", GAME.outcome, (True,)),
    ("result", MATED.result, ()),
    ("can_claim_draw", GAME.can_claim_draw, ()),
    ("can_claim_threefold_repetition", GAME.can_claim_threefold_repetition, ()),
    ("can_claim_fifty_moves", GAME.can_claim_fifty_moves, ()),
    *[(name, getattr(KIWI, name), (E2E4,)) for name in (
        "is_pseudo_legal", "is_capture", "is_en_passant", "is_castling", "is_kingside_castling",
        "is_queenside_castling", "is_zeroing", "is_irreversible", "gives_check")],
    ("is_capture off the board", KIWI.is_capture, (Move(64, 0),)),
    ("gives_check no piece", KIWI.gives_check, (BAD,)),
    ("lan", Board().lan, (E2E4,)),
    ("lan illegal", KIWI.lan, (BAD,)),
    ("variation_san", Board().variation_san, ([E2E4, Move(52, 36)],)),
    ("variation_san illegal", Board().variation_san, ([E2E4, E2E4],)),
    ("variation_san not a move", Board().variation_san, ([E2E4, 5],)),
    ("set_fen", lambda fen: Board().set_fen(fen), (KIWIPETE,)),
    ("set_fen bad", lambda fen: Board().set_fen(fen), ("8/8/8/8/8/8/8/8 w KQX",)),
    ("set_piece_at", lambda: GAME.copy().set_piece_at(27, "q"), ()),
    ("set_piece_at X", lambda: Board().set_piece_at(27, "X"), ()),
    ("remove_piece_at", lambda: GAME.copy().remove_piece_at(12), ()),
    ("clear_stack", lambda: GAME.copy().clear_stack(), ()),
    ("mirror", GAME.mirror, ()),
    ("status", KIWI.status, ()),
    ("is_valid", Board(NO_BLACK_KING).is_valid, ()),
    ("has_insufficient_material", KIWI.has_insufficient_material, (True,)),
    ("set_board_fen", lambda: GAME.copy().set_board_fen("4k3/8/8/8/8/8/8/4K2R"), ()),
    ("set_board_fen bad", lambda: Board().set_board_fen("4k3/8/8/8/8/8/8/4K2R w"), ()),
    ("board_fen", lambda: KIWI.board_fen(promoted=True), ()),
    ("set_castling_fen", lambda: GAME.copy().set_castling_fen("Kq"), ()),
    ("set_castling_fen bad", lambda: Board().set_castling_fen("KX"), ()),
    ("set_piece_map", lambda: Board().set_piece_map(KIWI.piece_map()), ()),
    ("set_piece_map bad", lambda: Board().set_piece_map({4: "K", 5: "X"}), ()),
    ("set_piece_map not a mapping", lambda: Board().set_piece_map([(4, "K")]), ()),
    ("clean_castling_rights", GAME.clean_castling_rights, ()),
    ("find_move", KIWI.find_move, (4, 7)),
    ("find_move illegal", KIWI.find_move, (4, 5, "q")),
    ("epd", lambda m: KIWI.epd(shredder=True, bm=m, pv=[m], am=(m,), id='"x"', acd=12, ce=-0.5, noop=None), (E2E4,)),
    ("epd bad", lambda m: KIWI.epd(bm=m, **{"1x": 1}), (E2E4,)),
    ("set_epd", lambda: Board().set_epd('4k3/8/8/8/8/8/4P3/4K3 w - - bm e4; pv e4 Kd7; id "x\\"y"; acd 1e2;'), ()),
    ("set_epd bad", lambda: Board().set_epd("4k3/8/8/8/8/8/4P3/4K3 w - - bm e5;"), ()),
    ("from_epd", Board.from_epd, ("4k3/8/8/8/8/8/4P3/4K3 w - - am Kd2 Kf2; hmvc 3;",)),
    ("square helpers", lambda: (tarvik.square_name(12), tarvik.parse_square("e4"), tarvik.square(1, 2),
                                tarvik.square_file(9), tarvik.square_rank(9), tarvik.square_distance(0, 9)), ()),
    ("square helpers bad", lambda: tarvik.parse_square("e9"), ()),
    ("Outcome", Outcome, (Termination.CHECKMATE, True)),
    ("Outcome bad", Outcome, (1, True)),
    ("Outcome surface", lambda o: (repr(o), o.result(), hash(o), o == o, o.termination, o.winner),
     (Outcome(Termination.STALEMATE, None),)),
    ("Outcome pickle", lambda o: pickle.loads(pickle.dumps(o)), (Outcome(Termination.FIFTY_MOVES, None),)),
    ("Termination", Termination, (3,)),
    ("Termination bad", Termination, (9,)),
    ("Termination surface", lambda t: (repr(t), str(t), t.name, t.value, pickle.dumps(t)), (Termination.CHECKMATE,)),
    ("Move.from_uci", Move.from_uci, ("e7e8q",)),
    ("Move.from_uci invalid", Move.from_uci, ("e7e8Q",)),
    ("Move pickle", lambda m: pickle.loads(pickle.dumps(m)), (PROMOTION,)),
    # Games.
    ("read_pgn", lambda data: [(g.headers, g.moves, g.comments, g.nags, g.clocks, g.evals, g.errors, str(g),
                                g.export(), g.board(), [(n.san, n.variations, n.parent) for n in g.mainline()])
                               for g in read_pgn(data)], (PGN,)),
    ("Game.header", lambda data: [(g.header("Event"), g.header("None", 5)) for g in read_pgn(data)], (PGN,)),
    ("read_pgn bytearray, range", lambda data: list(read_pgn(bytearray(data), start=3, stop=500)), (PGN,)),
    ("read_pgn file object", lambda data: list(read_pgn(io.StringIO(data.decode()))), (PGN,)),
    ("read_pgn failing read", lambda: list(read_pgn(FailingStream())), ()),
    ("read_pgn missing file", read_pgn, ("/nonexistent/games.pgn",)),
    ("read_pgn 5", read_pgn, (5,)),
    ("read_pgn stop on a stream", lambda data: read_pgn(io.BytesIO(data), stop=5), (PGN,)),
    ("Game.from_board", lambda b: Game.from_board(b, {"White": "x"}).export(), (KIWI,)),
    ("Game.from_board bad tag", lambda b: Game.from_board(b, {"A b": "x"}), (KIWI,)),
    # Pictures.
    ("unicode", KIWI.unicode, ()),
    ("unicode borders", lambda: KIWI.unicode(invert_color=True, borders=True, empty_square=".", orientation=False), ()),
    ("unicode bad flag", lambda: KIWI.unicode(borders=1), ()),
    ("unicode positional", KIWI.unicode, (True,)),
    ("svg", KIWI.svg, ()),
    ("svg marks", lambda m: KIWI.svg(size=None, flipped=True, lastmove=m, check=4, arrows=[(1, 2), [3, 3]]), (E2E4,)),
    ("svg bad check", lambda: KIWI.svg(check=64), ()),
    ("svg bad arrow", lambda: KIWI.svg(arrows=[(1, 2), (1, 2, 3)]), ()),
    ("svg arrow no pair", lambda: KIWI.svg(arrows=[(1, 2), 5]), ()),
    ("svg arrow square", lambda: KIWI.svg(arrows=[(1, "e4")]), ()),
    ("svg bad lastmove", lambda: KIWI.svg(lastmove="e2e4"), ()),
    ("_repr_svg_", lambda: (b := Board()).push_san("e4") and b._repr_svg_(), ()),
    ("_repr_svg_ broken", Board(NO_BLACK_KING)._repr_svg_, ()),
    # Opening books.
    ("open_book", tarvik.open_book, (BOOK,)),
    ("open_book with", lambda path: read_with(path), (BOOK,)),
    ("open_book missing", tarvik.open_book, (BOOK + ".missing",)),
    ("open_book truncated", tarvik.open_book, (TRUNCATED,)),
    ("open_book 5", tarvik.open_book, (5,)),
    ("find_all", READER.find_all, (KIWI,)),
    ("find_all start", lambda m: READER.find_all(Board(), minimum_weight=0, exclude_moves=[m]), (E2E4,)),
    ("find_all key", READER.find_all, (Board().zobrist_hash(),)),  # the code-6 entry fails to decode
    ("find_all bad exclude", lambda: READER.find_all(Board(), exclude_moves=[1]), ()),
    ("find", lambda: READER.find(Board()), ()),
    ("find none", READER.find, (KIWI,)),
    ("get", READER.get, (KIWI, "default")),
    ("choice", lambda r: READER.choice(Board(), random=r), (RANDOM,)),
    ("weighted_choice", lambda r: READER.weighted_choice(Board(), random=r), (RANDOM,)),
    ("weighted_choice module", lambda: READER.weighted_choice(Board()), ()),
    ("choice no randint", lambda: READER.choice(Board(), random=5), ()),
    ("closed", CLOSED.find_all, (KIWI,)),
    ("close", lambda: tarvik.open_book(BOOK).close(), ()),
    ("len, [], iter", lambda: (len(READER), READER[1], READER[-2], list(READER)[:3]), ()),
    ("[] bad code", lambda: READER[3], ()),
    ("[] out of range", lambda: READER[10], ()),
    ("repr", lambda: (repr(READER), repr(CLOSED), repr(ENTRY)), ()),
    ("entry", lambda e: (e.key, e.raw_move, e.weight, e.learn, e.move, hash(e), e == e, e == 1), (ENTRY,)),
]


def test_every_method_and_attribute_has_a_case():
    labels = {label.split()[0] for label, _, _ in CASES}
    aliases = {"__copy__": "copy", "__deepcopy__": "copy.deepcopy", "__reduce__": "pickle", "turn": "turn"}
    names = [name for name, value in vars(Board).items() if type(value).__name__ in (
        "method_descriptor", "classmethod_descriptor", "getset_descriptor")]
    assert [name for name in names if aliases.get(name, name) not in labels] == []


def call_quietly(function, arguments):
    try:
        function(*arguments)
    except BaseException:  # noqa: BLE001 - failures are the paths under test
        pass


@pytest.mark.parametrize("label, function, arguments", CASES, ids=[case[0] for case in CASES])
def test_calls_leave_memory_flat(label, function, arguments):
    if sys.getallocatedblocks() == 0:
        pytest.skip("the interpreter's own allocator is off (PYTHONMALLOC=malloc), so there are no blocks to count")
    for _ in range(100):  # caches and interned texts settle first
        call_quietly(function, arguments)
    references = [sys.getrefcount(argument) for argument in arguments]
    gc.collect()
    blocks, heap = sys.getallocatedblocks(), c_heap_bytes()
    for _ in range(CALLS):
        call_quietly(function, arguments)
    gc.collect()
    # A leak grows by a block or more per call; the interpreter's own free lists
    # (small tuples, Move objects) may keep a few hundred while they fill.
    assert sys.getallocatedblocks() - blocks < CALLS // 4
    if heap is not None:
        assert c_heap_bytes() - heap < 32 * CALLS  # a leaked board or stack entry per call is far more
    assert [sys.getrefcount(argument) for argument in arguments] == references

