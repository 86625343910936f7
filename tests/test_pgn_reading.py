"""read_pgn's sources and errors, what the reader makes of hostile input, and the Game API where
python-chess has nothing to compare with."""

import io
import os
import pathlib
import random
import time

import chess.pgn

import pytest

import tarvik
from tarvik import Board, Game, read_pgn

PGN = b'[Event "A"]\n[White "Anna"]\n\n1. e4 e5 2. Nf3 *\n\n[Event "B"]\n\n1. d4 d5 1-0\n'


def summary(games):
    return [(game.offset, game.headers.get("Event"), [move.uci() for move in game.moves]) for game in games]


EXPECTED = [(0, "A", ["e2e4", "e7e5", "g1f3"]), (47, "B", ["d2d4", "d7d5"])]


@pytest.mark.parametrize("source", [
    lambda path: str(path), lambda path: path, lambda path: PGN, lambda path: bytearray(PGN),
    lambda path: memoryview(PGN), lambda path: open(path, "rb"), lambda path: open(path, encoding="utf-8"),
    lambda path: io.BytesIO(PGN)])
def test_every_kind_of_source_reads_the_same_games(tmp_path, source):
    path = tmp_path / "games.pgn"
    path.write_bytes(PGN)
    assert summary(read_pgn(source(path))) == EXPECTED


def test_offsets_select_games_and_read_one_game_again(tmp_path):
    path = tmp_path / "games.pgn"
    path.write_bytes(PGN)
    assert summary(read_pgn(path, start=1)) == EXPECTED[1:] == summary(read_pgn(PGN, start=47, stop=48))
    assert summary(read_pgn(path, stop=47)) == EXPECTED[:1]
    assert summary(read_pgn(PGN, start=10**6)) == [] == summary(read_pgn(path, start=30, stop=20))
    assert summary(read_pgn(PGN, headers_only=True)) == [(0, "A", []), (47, "B", [])]


@pytest.mark.parametrize("call, error, message", [
    (lambda: read_pgn("/nonexistent/games.pgn"), FileNotFoundError, "No such file"),
    (lambda: read_pgn(pathlib.Path("/")), IsADirectoryError, "Is a directory"),
    (lambda: read_pgn(5), TypeError, "needs a path, a bytes-like object or a file object, not 'int'"),
    (lambda: read_pgn(io.BytesIO(PGN), start=3), ValueError, "start and stop need a path or bytes"),
    (lambda: read_pgn(PGN, start=-1), OverflowError, None),
    (lambda: read_pgn(PGN, 3), TypeError, "takes 1 positional argument"),
    (lambda: next(read_pgn(io.StringIO("\ud800"))), UnicodeEncodeError, None),
    (lambda: next(read_pgn(type("S", (), {"read": lambda self, size: 5})())), TypeError, "not 'int'"),
    (lambda: Game(5), TypeError, "argument 'headers'"),
    (lambda: Game.from_board(Board(), {"no spaces": "x"}), ValueError, "invalid tag name"),
    (lambda: Game.from_board(Board(), {"A": "b\nc"}), ValueError, "line break"),
    (lambda: Game.from_board(Board(), ["x"]), TypeError, None),
    (lambda: Game.from_board(Board(), type("M", (dict,), {"items": lambda self: [("a", "b", "c")]})()), TypeError,
     "not a (name, value) pair"),
    (lambda: next(read_pgn(PGN)).export(columns=-1), OverflowError, None),
    (lambda: next(read_pgn(PGN)).header(5), TypeError, "argument 'name'"),
])
def test_errors(call, error, message):
    with pytest.raises(error) as excinfo:
        call()
    assert message is None or message in str(excinfo.value)


def test_an_error_of_the_stream_propagates_and_reading_can_go_on():
    class Flaky:
        def __init__(self):
            self.calls = 0

        def read(self, size):
            self.calls += 1
            if self.calls == 1:
                raise OSError("not yet")
            return PGN if self.calls == 2 else b""

    reader = read_pgn(Flaky())
    with pytest.raises(OSError, match="not yet"):
        next(reader)
    assert summary(reader) == EXPECTED


def test_a_stream_that_reads_its_own_reader_is_refused():
    class Reentrant:
        def read(self, size):
            return next(self.reader)

    stream = Reentrant()
    stream.reader = read_pgn(stream)
    with pytest.raises(RuntimeError, match="Already borrowed"):
        next(stream.reader)


def test_from_board_checks_the_moves_and_writes_the_start():
    board = Board("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1")
    board.push_san("b8=Q+")
    game = Game.from_board(board)
    assert game.headers == {"FEN": "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "SetUp": "1", "Result": "*"}
    assert [node.san for node in game.mainline()] == ["b8=Q+"] and game.result == "*"
    board.apply_move(tarvik.Move(60, 62))  # no king's move of two squares without castling rights
    with pytest.raises(ValueError, match="move 2 of the board, e8g8, is not legal"):
        Game.from_board(board)


class Trickle(io.BytesIO):
    """A file object whose read() gives a few bytes at a time, as a pipe may."""

    def read(self, size=-1):
        return super().read(min(size, 64))


@pytest.mark.parametrize("name, text", [
    ("ten megabytes of (", b"(" * 10_000_000),
    ("ten megabytes of {", b"{" * 10_000_000),
    ("variations nested 100,000 deep", b"1. e4 " + b"( 1. d4 " * 100_000 + b"*"),
    ("a tag value of a megabyte", b'[Event "' + b"x" * 1_000_000 + b'"]\n\n1. e4 *'),
    ("a game of 100,000 moves", b" ".join([b"Nf3 Nf6 Ng1 Ng8"] * 25_000)),
    ("random bytes", random.Random(7).randbytes(2_000_000)),
    ("200,000 blank lines, then a game", b"\n" * 200_000 + b"1. e4 *"),
])
@pytest.mark.parametrize("threads", [1, 2])
def test_hostile_input_is_read_in_linear_time(name, text, threads):
    started = time.monotonic()
    games = list(read_pgn(text, threads=threads))
    games += list(read_pgn(Trickle(text[:300_000]), threads=threads))  # a file object's small reads
    for game in games:
        str(game)
        game.board()
    assert time.monotonic() - started < 20, name  # quadratic work on these takes hours
    if name.startswith("a game"):
        assert len(games[0].moves) == 100_000 and games[0].errors == []


def test_files_larger_than_a_read_are_read_in_pieces(tmp_path):
    games = [f'[Round "{i}"]\n\n1. e4 {{ {"x" * (i * 37 % 5000)} }} e5 *\n'.encode() for i in range(600)]
    path = tmp_path / "many.pgn"
    path.write_bytes(b"\n".join(games))
    assert os.path.getsize(path) > 1 << 20
    rounds = [game.headers["Round"] for game in read_pgn(path)]
    assert rounds == [str(i) for i in range(600)]


@pytest.mark.parametrize("fen", [
    "bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9", "1r2k1r1/8/8/8/8/8/8/1R2K1R1 w KQkq - 0 1",
    "r3k2r/8/8/8/8/8/8/R3K2R w HAha - 0 1", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1",
    "4k3/8/8/8/8/8/8/R4K~1R w KQ - 0 1"])
def test_castling_rights_only_chess960_has_are_not_played(fen):
    text = f'[FEN "{fen}"]\n\n1. Kf1 *'
    game = next(read_pgn(text.encode()))
    chess960 = chess.pgn.read_game(io.StringIO(text)).board().chess960
    assert ("Chess960" in " ".join(game.errors)) == chess960


@pytest.mark.parametrize("fen, message", [
    ("8/8/8/8/8/8/8/8 w - - 0 1", "broken position: White has no king"),
    ("4k3/8/8/8/8/8/8/4K2R w - - 0 1 7", "fen string has more parts than expected")])
def test_a_fen_tag_that_cannot_be_played_says_why(fen, message):
    game = next(read_pgn(f'[FEN "{fen}"]\n\n1. e4 *'.encode()))
    assert game.moves == [] and len(game.errors) == 1 and message in game.errors[0]


def test_headers_only_finds_the_games_a_full_read_finds():
    # Reading headers only passes over most of the movetext unread; where games end
    # must not change.
    rng = random.Random(1)
    pieces = ["1-0", "0-1", "*", "(", ")", "{", "}", ";", " ", "\n", "\n\n", "e4", "a1-0", "1/2-1/2", "O-O", "-",
              "/", '[Event "x"]\n', "0-0-1", "x", "%", "1.", "{ 1-0 }"]
    for _ in range(3000):
        text = "".join(rng.choice(pieces) for _ in range(rng.randrange(30))).encode()
        full = [(game.offset, game.result) for game in read_pgn(text)]
        assert [(game.offset, game.result) for game in read_pgn(text, headers_only=True)] == full, text
