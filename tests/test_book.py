"""Polyglot opening books: the same entries, errors and random choices as python-chess's reader, on real
books and on small books written here."""

import pathlib
import random
import struct

import chess
import chess.polyglot
import pytest

import tarvik
from conftest import bitboard

REAL_BOOKS = pathlib.Path(__file__).resolve().parents[1].parent / "shared" / "realworld-data" / "polyglot"
START = tarvik.Board().zobrist_hash()


def real_book(name):
    path = REAL_BOOKS / name
    if not path.is_file():
        pytest.skip(f"{path} is absent")
    return path


def write_book(path, *entries):
    """A book of (key, raw_move, weight, learn) entries, in the order given."""
    path.write_bytes(b"".join(struct.pack(">QHHI", *entry) for entry in entries))
    return path


def raw(squares, promotion=0):
    """A stored move: "e1h1" and a promotion code (1 knight .. 4 queen; 6 and 7 name no piece)."""
    return promotion << 12 | chess.parse_square(squares[:2]) << 6 | chess.parse_square(squares[2:])


def fields(entries):
    return [(e.key, e.raw_move, e.weight, e.learn, e.move.uci()) for e in entries]


def outcome(probe):
    """What a probe gives, comparable across the two libraries: its entries or the exception type."""
    try:
        result = probe()
    except IndexError:
        return IndexError
    return fields(result if isinstance(result, list) else [result])


def agree(ours, theirs, board, their_board, rng_seed):
    """Every probe of both readers agrees on one position."""
    assert fields(ours.find_all(board)) == fields(theirs.find_all(their_board))
    assert fields(ours.find_all(board, minimum_weight=3)) == fields(theirs.find_all(their_board, minimum_weight=3))
    assert fields(ours.find_all(board.zobrist_hash())) == fields(theirs.find_all(board.zobrist_hash()))
    assert outcome(lambda: ours.find(board)) == outcome(lambda: theirs.find(their_board))
    assert (ours.get(board) is None) == (theirs.get(their_board) is None)
    for name in ("choice", "weighted_choice"):
        assert outcome(lambda: getattr(ours, name)(board, random=random.Random(rng_seed))) == outcome(
            lambda: getattr(theirs, name)(their_board, random=random.Random(rng_seed))), name
    entries = ours.find_all(board)
    if entries:
        excluded = [entries[0].move]
        assert fields(ours.find_all(board, exclude_moves=excluded)) == fields(
            theirs.find_all(their_board, exclude_moves=[chess.Move.from_uci(excluded[0].uci())]))
    return entries


@pytest.mark.parametrize("name", ["performance.bin", "lasker-trap.bin"])
def test_positions_reached_by_following_the_book(name):
    path = real_book(name)
    walks = 150 if name == "performance.bin" else 20
    seen_moves = set()
    with tarvik.open_book(path) as ours, chess.polyglot.open_reader(path) as theirs:
        for walk in range(walks):
            board, their_board = tarvik.Board(), chess.Board()
            rng = random.Random(walk)
            while True:
                entries = agree(ours, theirs, board, their_board, walk)
                if not entries:
                    break
                chosen = theirs.weighted_choice(their_board, random=rng)
                seen_moves.add(their_board.san(chosen.move))
                board.push_uci(chosen.move.uci())
                their_board.push(chosen.move)
    if name == "performance.bin":
        # The walks went through the cases that need the board: castling stored as king takes rook.
        assert {"O-O", "O-O-O"} <= seen_moves and len(seen_moves) > 100


def test_positions_of_seeded_random_games():
    path = real_book("performance.bin")
    with tarvik.open_book(path) as ours, chess.polyglot.open_reader(path) as theirs:
        for game in range(40):
            rng = random.Random(game)
            board, their_board = tarvik.Board(), chess.Board()
            for _ in range(40):
                agree(ours, theirs, board, their_board, game)
                moves = list(their_board.legal_moves)
                if not moves:
                    break
                move = rng.choice(moves)
                board.push_uci(move.uci())
                their_board.push(move)


def test_every_entry_as_stored():
    path = real_book("performance.bin")
    with tarvik.open_book(path) as ours, chess.polyglot.open_reader(path) as theirs:
        assert len(ours) == len(theirs) and len(ours) > 90_000
        assert fields(ours) == fields(theirs)
        assert fields([ours[-1], ours[0]]) == fields([theirs[-1], theirs[0]])
        with pytest.raises(IndexError):
            ours[len(ours)]


def test_random_choices_draw_from_the_random_module_by_default():
    path = real_book("performance.bin")
    with tarvik.open_book(path) as ours, chess.polyglot.open_reader(path) as theirs:
        for seed in range(20):
            random.seed(seed)
            ours_picked = [ours.weighted_choice(tarvik.Board()).move.uci(), ours.choice(tarvik.Board()).move.uci()]
            random.seed(seed)
            theirs_picked = [theirs.weighted_choice(chess.Board()).move.uci(), theirs.choice(chess.Board()).move.uci()]
            assert ours_picked == theirs_picked


def test_moves_judged_on_the_board(tmp_path):
    # Castling and promotions as books store them; entries that are no legal move are left out, those of
    # weight 0 only come with minimum_weight=0, and a key alone gives every move as stored.
    castling = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"
    promotion = "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1"
    castling_key, promotion_key = (tarvik.Board(fen).zobrist_hash() for fen in (castling, promotion))
    entries = [(castling_key, raw("e1h1"), 5, 0), (castling_key, raw("e1a1"), 4, 1), (castling_key, raw("e1e2"), 0, 2),
               (castling_key, raw("e1e3"), 9, 3), (castling_key, raw("e1g1"), 2, 4),
               (promotion_key, raw("b7b8", 4), 3, 0), (promotion_key, raw("b7b8", 1), 2, 0),
               (promotion_key, raw("b7b8", 6), 9, 0), (promotion_key, raw("b7b7"), 9, 0)]
    entries.sort(key=lambda entry: entry[0])
    path = write_book(tmp_path / "moves.bin", *entries)
    with tarvik.open_book(path) as ours, chess.polyglot.open_reader(path) as theirs:
        for fen in (castling, promotion):
            for minimum_weight in (0, 1, 3):
                assert fields(ours.find_all(tarvik.Board(fen), minimum_weight=minimum_weight)) == fields(
                    theirs.find_all(chess.Board(fen), minimum_weight=minimum_weight))
        assert [e.move.uci() for e in ours.find_all(tarvik.Board(castling))] == ["e1g1", "e1c1", "e1g1"]
        assert [e.move.uci() for e in ours.find_all(castling_key, minimum_weight=0)] == [
            "e1h1", "e1a1", "e1e2", "e1e3", "e1g1"]
        assert [e.move.uci() for e in ours.find_all(tarvik.Board(promotion))] == ["b7b8q", "b7b8n"]
        # A key alone cannot skip the entry whose promotion code names no piece.
        with pytest.raises(ValueError, match="promotion code 6, which names no piece"):
            ours.find_all(promotion_key)
        assert ours.get(promotion_key, minimum_weight=10) is None
        # The board is only read.
        board = tarvik.Board(castling)
        ours.find_all(board)
        assert board.to_fen() == castling


def test_empty_book_and_entries_as_values(tmp_path):
    with tarvik.open_book(write_book(tmp_path / "empty.bin")) as book:
        assert (len(book), list(book), book.find_all(tarvik.Board()), book.get(tarvik.Board(), 7)) == (0, [], [], 7)
        for probe in (book.find, book.choice, book.weighted_choice):
            with pytest.raises(IndexError, match="no entry"):
                probe(tarvik.Board())
    path = write_book(tmp_path / "two.bin", (START, raw("e2e4"), 1, 0), (START, raw("e2e4"), 2, 0))
    with tarvik.open_book(path) as first, tarvik.open_book(path) as second:
        a, b, heavier = first[0], second.find_all(tarvik.Board())[0], first[1]
        assert a == b and hash(a) == hash(b) and a != heavier and len({a, b, heavier}) == 2
        assert (a == 5) is False and a.move is not a.move
        assert repr(a) == f"BookEntry(key={START}, raw_move=796, weight=1, learn=0, move=e2e4)"
        with pytest.raises(AttributeError):
            a.weight = 2
        with pytest.raises(TypeError, match="'<' not supported"):
            a < b  # noqa: B015 - the comparison is what raises


@pytest.mark.parametrize("name", ["BookReader", "BookEntry"])
def test_classes_are_immutable_and_readers_made_only_by_the_module(name):
    cls = getattr(tarvik, name)
    assert name not in tarvik.__all__ and cls.__module__ == "tarvik" and len(cls.__doc__) > 50
    with pytest.raises(TypeError, match="cannot create" if name == "BookReader" else "missing 5 required"):
        cls()
    with pytest.raises(TypeError, match="immutable"):
        cls.find = None
    with pytest.raises(TypeError, match="not an acceptable base type"):
        type("Sub", (cls,), {})


def test_opening_errors(tmp_path):
    missing = tmp_path / "missing.bin"
    with pytest.raises(FileNotFoundError) as excinfo:
        tarvik.open_book(missing)
    assert excinfo.value.filename == missing
    with pytest.raises(IsADirectoryError):
        tarvik.open_book(str(tmp_path))
    truncated = tmp_path / "truncated.bin"
    truncated.write_bytes(b"\x00" * 17)
    with pytest.raises(ValueError, match=r"truncated.bin' has 17 bytes, not a whole number of 16-byte entries"):
        tarvik.open_book(truncated)
    unsorted = write_book(tmp_path / "unsorted.bin", (2, 0, 1, 0), (1, 0, 1, 0))
    with pytest.raises(ValueError, match="keys of .* are out of order at entry 1"):
        tarvik.open_book(bytes(unsorted))
    with pytest.raises(TypeError, match="argument 'path': expected str, bytes or os.PathLike object, not int"):
        tarvik.open_book(5)
    with pytest.raises(ValueError, match="embedded null byte"):
        tarvik.open_book("a\0b")
    with pytest.raises(TypeError, match="missing 1 required positional argument: 'path'"):
        tarvik.open_book()
    with pytest.raises(TypeError, match="unexpected keyword argument 'file'"):
        tarvik.open_book(file=str(missing))


def test_a_closed_book_says_so(tmp_path):
    path = write_book(tmp_path / "book.bin", (START, raw("e2e4"), 1, 0))
    with tarvik.open_book(path) as book:
        assert repr(book) == f"<BookReader {str(path)!r}, 1 entries>"
    assert repr(book) == f"<BookReader {str(path)!r}, closed>"
    board = tarvik.Board()
    for call in (lambda: book.find_all(board), lambda: book.find(board), lambda: book.get(board),
                 lambda: book.choice(board), lambda: book.weighted_choice(board), lambda: len(book),
                 lambda: book[0], lambda: list(book), lambda: book.__enter__()):
        with pytest.raises(ValueError, match="I/O operation on a closed book"):
            call()
    assert book.close() is None and book.__exit__(None, None, None) is None


def test_probe_argument_errors(tmp_path):
    path = write_book(tmp_path / "book.bin", (START, raw("e2e4"), 1, 0))
    board = tarvik.Board()
    with tarvik.open_book(path) as book:
        cases = [
            (lambda: book.find_all("e4"), TypeError, "argument 'board': 'str' object cannot be converted to 'Board'"),
            (lambda: book.find_all(-1), OverflowError, None),
            (lambda: book.find_all(board, 1), TypeError, r"find_all\(\) takes 1 positional arguments but 2 were"),
            (lambda: book.get(board, None, 1), TypeError, r"get\(\) takes from 1 to 2 positional arguments"),
            (lambda: book.find_all(board, exclude_moves=5), TypeError, "argument 'exclude_moves': 'int' object is"),
            (lambda: book.find_all(board, exclude_moves=["e2e4"]), TypeError,
             "argument 'exclude_moves': 'str' object cannot be converted to 'Move'"),
            (lambda: book.find_all(board, minimum_weight="1"), TypeError, "argument 'minimum_weight'"),
            (lambda: book.weighted_choice(board, minimum_weight=1), TypeError, "unexpected keyword argument"),
            (lambda: book.choice(board, random=object()), AttributeError, "randint"),
            (lambda: book.weighted_choice(board, random=Draws(5)), ValueError,
             r"randint\(0, 0\) returned 5, which is out of that range"),
            (lambda: book.weighted_choice(board, random=Draws("x")), TypeError, None),
            (lambda: book.weighted_choice(START, random=Draws(ValueError("no draw"))), ValueError, "no draw"),
            (lambda: book.__exit__(None), TypeError, "missing 2 required positional arguments"),
        ]
        for call, error, message in cases:
            with pytest.raises(error, match=message):
                call()


class Draws:
    """A stand-in for random.Random whose randint returns (or raises) a fixed value."""

    def __init__(self, value):
        self.value = value

    def randint(self, low, high):
        if isinstance(self.value, Exception):
            raise self.value
        return self.value


def test_choice_calls_randint_for_each_later_entry(tmp_path):
    # Uniform choice: entry i replaces the choice when randint(0, i) == i, as python-chess draws.
    entries = [(START, raw(uci), 1, 0) for uci in ("e2e4", "d2d4", "c2c4", "g1f3")]
    path = write_book(tmp_path / "four.bin", *entries)
    calls = []

    class Recorder:
        def randint(self, low, high):
            calls.append((low, high))
            return high if high == 2 else 0

    with tarvik.open_book(path) as book:
        assert book.choice(tarvik.Board(), random=Recorder()).move.uci() == "c2c4"
    assert calls == [(0, 1), (0, 2), (0, 3)]


def test_access_is_held_while_arguments_run_python(tmp_path):
    path = write_book(tmp_path / "book.bin", (START, raw("e2e4"), 1, 0))
    book = tarvik.open_book(path)
    board = tarvik.Board()

    def closing_moves():
        book.close()
        yield tarvik.Move(12, 28)

    with pytest.raises(RuntimeError, match="Already borrowed"):
        book.find_all(board, exclude_moves=closing_moves())
    assert len(book) == 1

    def pushing_moves():
        board.push_san("e4")
        yield tarvik.Move(12, 28)

    # The board was copied when it was converted, so it is free again.
    assert book.find_all(board, exclude_moves=pushing_moves()) == [] and board.pop().uci() == "e2e4"


def test_broken_boards_answer_or_raise_value_error(tmp_path):
    no_black_king = tarvik.Board("8/8/8/8/8/8/8/4K3 w - - 0 1")
    two_colours = tarvik.Board()
    two_colours.set_pieces_or("p", bitboard("e2"))
    path = write_book(tmp_path / "broken.bin", *sorted(
        [(no_black_king.zobrist_hash(), raw("e1e2"), 1, 0), (two_colours.zobrist_hash(), raw("e2e4"), 1, 0)]))
    with tarvik.open_book(path) as book:
        with pytest.raises(ValueError, match="the book cannot judge moves in this broken position"):
            book.find_all(no_black_king)
        assert isinstance(book.find_all(two_colours), list)
        assert book.find_all(tarvik.Board("8/8/8/8/8/8/8/8 w - - 0 1")) == []  # out of book: nothing to judge
