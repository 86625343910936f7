"""A seeded random fuzzer of the whole Python API.

    python tests/fuzz/api_fuzz.py [--seed N] [--calls N] [--seconds S]

It calls every method and attribute of Board and Move, the constructors,
BoardState, Outcome and Termination, reads PGN (read_pgn over bytes, files,
compressed data and file objects that misbehave, on one thread or several, every
attribute and method of Game and GameNode, Game.from_board, Arrow tables of games
and positions read by pyarrow), and opens and probes opening books (a small book it writes,
with entries for its own positions), with arguments that are mostly well typed
and often not: garbage of
every type, wrong counts and keywords, integers whose __index__ runs Python code
that calls back into the same board (or raises), numpy-like booleans, broken
boards made by raw piece-set edits. Every call must return or raise one of the
documented exception types; anything else ends the run with the seed and the call
that did it, so the failure can be replayed. It stops after --calls calls or
--seconds seconds, whichever comes first, and prints how many calls it made.
Run under the sanitizer build (.ci/sanitize), a memory error ends it too.
"""

import argparse
import bz2
import gzip
import inspect
import io
import os
import random
import struct
import sys
import tempfile
import time

import pyarrow

import tarvik

FENS = [
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "4k3/8/8/2pPp3/8/8/8/4K3 w - e6 0 1",
    "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1",
    "8/8/8/8/8/8/8/8 w - - 0 1",
    "4k3/8/8/8/8/8/8/4K3 b KQkq a9 4294967295 4294967295",
    "r3k2r/8/8/8/8/8/8/R3K2R w KQkqQK\u00d6 - 99 50",
]
TEXTS = ["", "-", "e2e4", "e7e8q", "a1a1", "h9h9", "Nf3", "O-O", "0-0-0", "exd6", "e8=Q+", "Qxf7#", "e4!?",
         "\x00", "\ud800", "\U0001f600", "w", "KQkq", "9p/8/8/8/8/8/8/8 w - - 0 1", "x" * 300, " " * 7]
LETTERS = "prnbqkwaPRNBQKWAxX\u00d6\x00"
PGN_PIECES = ['[Event "a"]\n', '[FEN "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1"]\n', '[Variant "Atomic"]\n', '[FEN "x"]\n',
              "\n", "\r\n", "1. ", "e4 ", "e5 ", "Nf3 ", "Kd5 ", "b8=Q ", "O-O ", "-- ", "( ", ") ", "{ c ", "} ",
              "{ [%clk 0:01:02.5] [%eval #-3] } ", "$1 ", "!? ", "; x\n", "% y\n", "1-0 ", "* ", "\ufeff", "\udc80",
              "\xff", "\x00"]
DOCUMENTED = (TypeError, ValueError, OverflowError, UnicodeEncodeError, RuntimeError, AttributeError, OSError,
              EOFError)
# Books and Board.peek also raise IndexError: a probe without an entry, an index out of range, an empty stack.
WITH_INDEX_ERROR = (*DOCUMENTED, IndexError)
FLAGS = ("invert_color", "borders", "orientation", "flipped", "coordinates", "shredder", "promoted")
CASTLING_FIELDS = ["-", "", "KQkq", "Kq", "HAha", "Bb", "KQK", "kK", "X", "\u00d6", "KQkq "]
OPCODES = ["bm", "am", "pv", "id", "acd", "ce", "hmvc", "fmvn", "noop", "", "-", "1x", "a b", "c\n", "\u00e9"]
EPD_TAILS = ["", " bm e4;", " pv e4 e5 Nf3;", ' id "x \\" y";', " acd 1_0; ce -1.5e3;", " ce 1e999;", " hmvc 3;",
             " fmvn x;", " am;", " 1x;", " - ;", ' c0 "open', " bm Z9;", ";;"]


class FuzzError(Exception):
    """Raised on purpose by the fuzzer's own callbacks; passing through is fine."""


def panic_type():
    try:
        tarvik.Board().pop()
    except BaseException as error:  # noqa: BLE001
        return type(error)


def board_state_type():
    import gc

    try:
        tarvik.Board()._restore(None)
    except TypeError:
        pass
    return next(o for o in gc.get_objects() if isinstance(o, type) and o.__qualname__ == "BoardState")


def write_book(directory, rng):
    """A book with entries for the positions of FENS: moves of every kind, legal or not, castling as king
    takes rook, promotion codes 0..7, weights 0..3; keys in order, as a book must have them. Also a file
    that is no book. Returns both paths."""
    keys = []
    for fen in FENS:
        try:
            keys.append(tarvik.Board(fen).zobrist_hash())
        except BaseException:  # noqa: BLE001 - a FEN the engine refuses has no key
            pass
    entries = []
    for key in keys:
        for _ in range(rng.randrange(1, 6)):
            raw_move = rng.choice([4 << 6 | 7, 4 << 6 | 0, 60 << 6 | 63, 12 << 6 | 28, rng.randrange(1 << 16)])
            entries.append((key, raw_move, rng.randrange(4), rng.randrange(1 << 32)))
    entries.sort(key=lambda entry: entry[0])
    book, truncated = os.path.join(directory, "fuzz.bin"), os.path.join(directory, "truncated.bin")
    with open(book, "wb") as file:
        file.write(b"".join(struct.pack(">QHHI", *entry) for entry in entries))
    with open(truncated, "wb") as file:
        file.write(b"\x01" * 17)
    return book, truncated


class Fuzzer:
    def __init__(self, seed):
        self.random = random.Random(seed)
        self.boards = [tarvik.Board(fen) for fen in FENS]
        self.moves = [tarvik.Move(12, 28), tarvik.Move(52, 60, "q")]
        self.calls = 0
        self.nesting = 0  # of calls made from inside a callback
        self.directory = tempfile.TemporaryDirectory()  # for PGN files read by path, and the books
        self.book_path, truncated = write_book(self.directory.name, self.random)
        self.paths = [self.book_path, self.book_path.encode(), truncated, os.path.join(self.directory.name, "none"),
                      self.directory.name, "a\0b"]
        self.readers = [tarvik.open_book(self.book_path)]
        self.entries = []

    # ---------------------------------------------------------- values

    def integer(self, bits=64):
        r = self.random
        return r.choice([0, 1, r.randrange(64), r.randrange(256), r.randrange(1 << bits), -1, -r.randrange(1 << 40),
                         1 << bits, 1 << 31, (1 << 31) - 1, 1 << 32, 2**200, True])

    def callback_index(self):
        """An integer whose __index__ runs Python code: a call on a random board, then a value or an error."""
        fuzzer, value, raises = self, int(self.integer()), self.random.random() < 0.2

        class Index:
            def __index__(self):
                fuzzer.nested_call()
                if raises:
                    raise FuzzError("from __index__")
                return value

        return Index()

    def numpy_like_bool(self):
        fuzzer, value, raises = self, self.random.random() < 0.5, self.random.random() < 0.3

        def __bool__(self):
            fuzzer.nested_call()
            if raises:
                raise FuzzError("from __bool__")
            return value

        return type(self.random.choice(["bool_", "bool"]), (), {"__module__": "numpy", "__bool__": __bool__})()

    def garbage(self):
        r = self.random
        return r.choice([None, 1.5, b"e2e4", [], {}, object(), self.integer(), r.choice(TEXTS), r.choice(LETTERS),
                         self.callback_index(), self.numpy_like_bool(), r.choice(self.boards), r.choice(self.moves),
                         tarvik.Board, tarvik.Move])

    def move(self):
        r = self.random
        if r.random() < 0.5:
            board = r.choice(self.boards)
            try:
                listed = board.pseudo_legal_moves()
            except BaseException:  # noqa: BLE001 - a broken board may not list moves
                listed = []
            if listed:
                return r.choice(listed)
        promotion = r.choice([None, None, "q", "n", "Q", "k", "\U0001f600"])
        return tarvik.Move(r.randrange(70), r.randrange(70), promotion)

    def text(self):
        r = self.random
        if r.random() < 0.4:
            fen = r.choice(FENS)
            cut = r.randrange(len(fen) + 1)
            return fen[:cut] + r.choice(["", r.choice(LETTERS), " ", "9", "/"]) + fen[cut + 1:]
        if r.random() < 0.5:
            board = r.choice(self.boards)
            try:
                move = r.choice(board.legal_moves())
                return r.choice([move.uci(), board.san(move)]) if hasattr(board, "san") else move.uci()
            except BaseException:  # noqa: BLE001
                pass
        return r.choice(TEXTS)

    def pgn(self):
        """PGN text: real moves of a board, pieces of every token kind, and damage."""
        r = self.random
        parts = [r.choice(PGN_PIECES) for _ in range(r.randrange(40))]
        board = r.choice(self.boards)
        try:
            parts.insert(r.randrange(len(parts) + 1), board.san(r.choice(board.legal_moves())) + " ")
        except BaseException:  # noqa: BLE001 - a broken board may have no move to write
            pass
        return "".join(parts).encode("utf-8", errors="replace" if r.random() < 0.5 else "surrogatepass")

    def pgn_source(self):
        """A source for read_pgn: bytes, a path, a file object, or one whose read() misbehaves."""
        r = self.random
        data, fuzzer = self.pgn(), self
        kind = r.randrange(7)
        if kind == 0:
            return data
        if kind == 6:  # compressed, and perhaps cut short
            packed = r.choice([gzip.compress, bz2.compress])(data)
            return packed[:r.randrange(len(packed) + 1)] if r.random() < 0.5 else packed
        if kind == 1:
            path = f"{self.directory.name}/{r.randrange(4)}.pgn"
            with open(path, "wb") as file:
                file.write(data)
            return path
        if kind == 2:
            return io.BytesIO(data)
        if kind == 3:
            return io.StringIO(data.decode("utf-8", errors="replace"))

        class Stream:  # read() returns garbage, raises, or calls back into the API
            def read(self, size):
                fuzzer.nested_call()
                return r.choice([data, b"", "1. e4", None, FuzzError, 5])

        stream = Stream()
        if r.random() < 0.5:
            stream.read = lambda size: (_ for _ in ()).throw(FuzzError("from read()"))
        return stream if kind == 4 else r.choice([self.garbage(), data[:5], "/nonexistent/x.pgn"])

    def games(self):
        """Games read from a random source; whatever reading raises is a documented failure too."""
        r = self.random
        kwargs = {}
        if r.random() < 0.3:
            kwargs["start"] = r.choice([0, 1, 5, 100, -1, 2**70, None])
        if r.random() < 0.3:
            kwargs["stop"] = r.choice([None, 0, 3, 10**6, -5, "9"])
        if r.random() < 0.2:
            kwargs["headers_only"] = r.choice([True, False, 1])
        if r.random() < 0.3:
            kwargs["threads"] = r.choice([1, 2, 3, None, 0, -1, "2"])
        reader = self.invoke("read_pgn", tarvik.read_pgn, [self.pgn_source()], kwargs)
        games = []
        if reader is None or isinstance(reader, BaseException):
            return games
        for _ in range(r.randrange(1, 6)):
            game = self.invoke("next(reader)", next, [reader, None], {})
            if not isinstance(game, tarvik.Game):
                break
            games.append(game)
        return games

    def table_call(self):
        """An Arrow table of games or positions, read in part or whole by pyarrow, or dropped unread."""
        r = self.random
        kwargs = {}
        for name, values in (("rows", ["games", "positions", "moves", 1]),
                             ("tags", [None, "all", ["White", "FEN"], ["White", "White"], "White", [1]]),
                             ("start", [0, 5, 100, -1]), ("stop", [None, 10, 10**6]),
                             ("threads", [1, 2, None, 0]), ("batch_rows", [None, 1, 7, 0]), ("uci", [True, False])):
            if r.random() < 0.3:
                kwargs[name] = r.choice(values)
        table = self.invoke("pgn_table", tarvik.pgn_table, [self.pgn_source()], kwargs)
        if not isinstance(table, tarvik.PgnTable) or r.random() < 0.2:
            return
        reader = self.invoke("RecordBatchReader", pyarrow.RecordBatchReader.from_stream, [table], {})
        if not isinstance(reader, pyarrow.RecordBatchReader):
            return
        for _ in range(r.randrange(1, 4)):
            batch = self.invoke("read_next_batch", reader.read_next_batch, [], {}, (*DOCUMENTED, StopIteration))
            if not isinstance(batch, pyarrow.RecordBatch):
                break
            batch.validate(full=True)

    def game_call(self):
        """Everything a Game and its nodes offer, and Game.from_board."""
        r = self.random
        if r.random() < 0.2:
            headers = r.choice([None, {"White": "x"}, {"Bad name": "x"}, {"A": "b\nc"}, {1: 2}, self.garbage()])
            self.invoke("Game.from_board", tarvik.Game.from_board, [self.board(), headers], {})
            return
        for game in self.games():
            targets = [game] + [node for node in game.mainline()[:3]] + game.variations[:2]
            for target in r.sample(targets, min(len(targets), 3)):
                name = r.choice([name for name in dir(type(target)) if not name.startswith("_") and name != "from_board"])
                member = getattr(type(target), name)
                label = f"{type(target).__name__}.{name}"
                if callable(member):
                    method = getattr(target, name)
                    args, kwargs = self.arguments(method, skip_self=True)
                    # The tree methods name a missing child with KeyError or IndexError, as python-chess does.
                    self.invoke(label, method, args, kwargs, (*WITH_INDEX_ERROR, KeyError))
                elif name in ("comment", "starting_comment", "nags") and r.random() < 0.3:
                    value = r.choice(["", "[%clk 0:01:00] x", {1, 2}, [3], self.garbage()])
                    self.invoke(f"{label} =", setattr, [target, name, value], {})
                else:
                    self.invoke(label, getattr, [target, name], {})
                self.invoke("str", r.choice([str, repr]), [target], {})

    def perft_depth(self):
        """A perft depth: small, or anything but an integer the search could take ages over."""
        r = self.random
        if r.random() < 0.85:
            return r.choice([0, 1, 2, 2, 3])
        return r.choice([-1, 1 << 32, 1 << 64, None, "2", 2.0, self.small_callback_index()])

    def small_callback_index(self):
        fuzzer, value = self, self.random.randrange(3)

        class Index:
            def __index__(self):
                fuzzer.nested_call()
                return value

        return Index()

    def argument(self, name):
        """A value for a parameter, chosen by its name: usually of the right type, often not."""
        r = self.random
        if name == "depth":
            return self.perft_depth()
        if r.random() < 0.15:
            return self.garbage()
        if name in ("piece_type", "id", "promotion"):
            return r.choice(LETTERS) if r.random() < 0.9 else r.choice(["", "pp", "\ud800", None])
        if name in ("bitboard", "from_mask", "to_mask"):
            return self.integer() if r.random() < 0.9 else self.callback_index()
        if name in ("square", "from_square", "to_square"):
            return r.choice([r.randrange(64), r.randrange(300), -1, 1 << 32, self.callback_index()])
        if name == "mov" or name == "move":
            return self.move()
        if name == "board_state":
            return r.choice([None, self.boards[0], self.move()])
        if name == "count":
            return r.choice([0, 1, 2, 3, 5, -1, 1 << 40])
        if name == "columns":
            return r.choice([None, 0, 1, 80, 1 << 40, -1, "80"])
        if name in ("headers", "comments", "variations"):
            return r.choice([True, False, self.numpy_like_bool(), 1])
        if name in FLAGS:
            return r.choice([True, False, self.numpy_like_bool()])
        if name == "size":
            return r.choice([None, 0, 390, r.randrange(5000), -1, 1 << 32, self.callback_index()])
        if name == "lastmove":
            return r.choice([None, self.move()])
        if name == "check":
            return r.choice([None, r.randrange(64), r.randrange(300), self.callback_index()])
        if name == "arrows":
            return [r.choice([(self.argument("square"), self.argument("square")), [r.randrange(64)] * 2,
                              (1, 2, 3), 5]) for _ in range(r.randrange(4))]
        if name == "board":
            board = self.board()
            return board if r.random() < 0.8 else r.choice([board.zobrist_hash(), self.integer()])
        if name == "minimum_weight":
            return r.choice([0, 1, 2, 3, -1, 1 << 70])
        if name == "exclude_moves":
            return [self.move() for _ in range(r.randrange(3))] if r.random() < 0.9 else self.garbage()
        if name == "random":
            return r.choice([None, random.Random(r.randrange(100)), random.Random(r.randrange(100))])
        if name == "default":
            return self.garbage()
        if name in ("exc_type", "exc_value", "traceback"):
            return None
        if name == "path":
            return r.choice(self.paths)
        if name in ("color", "winner"):
            return r.choice([True, False, self.numpy_like_bool(), None, 1])
        if name == "claim_draw":
            return r.choice([True, False, 0, "yes", self.numpy_like_bool()])
        if name == "piece":
            return r.choice([r.choice(LETTERS), None, "", "QQ"])
        if name == "pieces":
            pieces = self.board().piece_map()
            if r.random() < 0.3:
                pieces[r.choice([r.randrange(64), 64, -1, "e4", self.callback_index()])] = r.choice(LETTERS)
            return pieces if r.random() < 0.9 else r.choice([list(pieces.items()), self.garbage()])
        if name == "castling_fen":
            return r.choice(CASTLING_FIELDS)
        if name == "en_passant":
            return r.choice(["legal", "xfen", "fen", None, "x", 1])
        if name == "epd":
            board = self.board()
            text = " ".join(self.text().split()[:4]) if r.random() < 0.3 else board.board_fen() + " w KQkq -"
            return text + r.choice(EPD_TAILS)
        if name == "moves":
            return self.line_of_moves()
        if name in ("termination", "value"):
            return r.choice([*TERMINATIONS, r.randrange(-1, 10), self.callback_index()])
        return self.text()

    def line_of_moves(self):
        """A line of moves: a list, or a generator that calls into a board while it runs, or garbage."""
        r = self.random
        line = [self.move() for _ in range(r.randrange(4))]
        if r.random() < 0.3:
            def generate():
                for move in line:
                    self.nested_call()
                    yield move
            return generate()
        return r.choice([line, tuple(line), line + [r.choice([None, 5, "e2e4"])]])

    # ---------------------------------------------------------- calls

    def arguments(self, function, skip_self):
        """Positional and keyword arguments for a builtin, from its text signature, now and then malformed."""
        r = self.random
        try:
            signature = inspect.signature(function).parameters.values()
        except (ValueError, TypeError):
            signature = []
        parameters = [p.name for p in signature if p.kind != p.VAR_KEYWORD]
        takes_operations = any(p.kind == p.VAR_KEYWORD for p in signature)
        if skip_self and parameters[:1] == ["self"]:
            parameters = parameters[1:]
        values = [(name, self.argument(name)) for name in parameters]
        if values and r.random() < 0.1:
            values.pop(r.randrange(len(values)))  # a missing argument
        if r.random() < 0.05:
            # One too many; it may land where a missing argument was, so perft's stays a small depth.
            values.append(("extra", self.perft_depth() if "depth" in parameters else self.garbage()))
        positional = r.randrange(len(values) + 1)
        args = [value for _, value in values[:positional]]
        kwargs = dict(values[positional:])
        if takes_operations:  # EPD operations: any opcode, any operand
            for _ in range(r.randrange(4)):
                kwargs[r.choice(OPCODES)] = r.choice([None, self.move(), self.line_of_moves(), self.integer(),
                                                      r.choice([0.5, -1e300, float("inf"), float("nan")]),
                                                      r.choice(TEXTS), self.garbage()])
        return args, kwargs

    def board(self):
        r = self.random
        if r.random() < 0.05:
            self.boards[r.randrange(len(self.boards))] = tarvik.Board(r.choice(FENS))
        return r.choice(self.boards)

    def one_call(self):
        """One random call; returns a description of it."""
        r = self.random
        kind = r.random()
        if kind < 0.65:
            board = self.board()
            name = r.choice(BOARD_METHODS)
            method = getattr(board, name)
            args, kwargs = self.arguments(method, skip_self=True)
            self.invoke(f"Board.{name}", method, args, kwargs, WITH_INDEX_ERROR if name == "peek" else DOCUMENTED,
                        may_panic=name not in NEVER_PANIC)
        elif kind < 0.70:
            self.book_call()
        elif kind < 0.78:
            board = self.board()
            value = r.choice([True, False, self.numpy_like_bool(), self.garbage()])
            self.invoke("Board.turn =", setattr, [board, "turn", value], {})
        elif kind < 0.80:
            attribute = r.choice(["turn", "move_stack", "halfmove_clock", "fullmove_number", "ep_square"])
            self.invoke(f"Board.{attribute}", getattr, [self.board(), attribute], {})
        elif kind < 0.83:
            self.invoke("str(Board)", r.choice([str, repr]), [self.board()], {})
        elif kind < 0.88:
            args, kwargs = self.arguments(tarvik.Board, skip_self=False)
            board = self.invoke("Board()", tarvik.Board, args, kwargs)
            if isinstance(board, tarvik.Board) and len(self.boards) < 40:
                self.boards.append(board)
        elif kind < 0.94:
            move = r.choice(self.moves)
            attribute = r.choice(["from_square", "to_square", "promotion"])
            if r.random() < 0.5:
                self.invoke(f"Move.{attribute} =", setattr, [move, attribute, self.argument(attribute)], {})
            else:
                self.invoke("Move.uci", r.choice([move.uci, lambda: str(move), lambda: move.promotion]), [], {})
        elif kind < 0.97:
            args, kwargs = self.arguments(tarvik.Move, skip_self=False)
            move = self.invoke("Move()", tarvik.Move, args, kwargs)
            if isinstance(move, tarvik.Move):
                self.moves[r.randrange(len(self.moves))] = move
        elif kind < 0.97:
            self.invoke("BoardState()", BOARD_STATE, [self.garbage()], {})
        elif kind < 0.975:
            cls = r.choice([tarvik.Outcome, tarvik.Termination])
            args, kwargs = self.arguments(cls, skip_self=False)
            made = self.invoke(f"{cls.__name__}()", cls, args, kwargs, may_panic=False)
            if isinstance(made, (tarvik.Outcome, tarvik.Termination)):
                self.invoke("repr", repr, [made], {}, may_panic=False)
        elif kind < 0.985:
            self.game_call()
        elif kind < 0.99:
            self.table_call()
        else:
            self.break_board()

    def book_call(self):
        """Opening a book, probing a reader (open or closed), reading entries."""
        r = self.random
        kind = r.random()
        if kind < 0.1:
            args, kwargs = self.arguments(tarvik.open_book, skip_self=False)
            reader = self.invoke("open_book()", tarvik.open_book, args, kwargs, WITH_INDEX_ERROR)
            if isinstance(reader, tarvik.BookReader):
                self.readers[r.randrange(len(self.readers))] = reader
                if len(self.readers) < 4:
                    self.readers.append(tarvik.open_book(self.book_path))
        elif kind < 0.75:
            reader = r.choice(self.readers)
            name = r.choice(BOOK_METHODS)
            method = getattr(reader, name)
            args, kwargs = self.arguments(method, skip_self=True)
            result = self.invoke(f"BookReader.{name}", method, args, kwargs, WITH_INDEX_ERROR)
            found = result if isinstance(result, list) else [result]
            self.entries = ([e for e in found if isinstance(e, tarvik.BookEntry)] + self.entries)[:20]
        elif kind < 0.9:
            reader = r.choice(self.readers)
            index = r.choice([0, -1, r.randrange(-100, 100), 1 << 70, self.callback_index()])
            self.invoke("BookReader[]", r.choice([len, repr, lambda book: book[index], list]), [reader], {},
                        WITH_INDEX_ERROR)
        elif self.entries:
            entry, other = r.choice(self.entries), r.choice(self.entries + [None])
            attribute = r.choice(["key", "raw_move", "weight", "learn", "move"])
            self.invoke("BookEntry", r.choice([lambda: getattr(entry, attribute), lambda: repr(entry),
                                               lambda: hash(entry), lambda: entry == other,
                                               lambda: setattr(entry, attribute, 1)]), [], {})

    def break_board(self):
        """Raw piece-set edits that no game makes: pieces of no colour, two kings, squares in two sets."""
        r = self.random
        board = self.board()
        for _ in range(r.randrange(1, 4)):
            rule = r.choice(["set_pieces_or", "set_pieces_xor"])
            letter = r.choice("PRNBQKprnbqk")
            self.invoke(f"Board.{rule}", getattr(board, rule), [letter, 1 << r.randrange(64)], {})

    def nested_call(self):
        """A call made from inside a conversion; deeper nesting is cut off."""
        if self.nesting >= 2:
            return
        self.nesting += 1
        try:
            self.one_call()
        finally:
            self.nesting -= 1

    def invoke(self, label, function, args, kwargs, documented=DOCUMENTED, may_panic=True):
        self.calls += 1
        try:
            return function(*args, **kwargs)
        except (*documented, PANIC, FuzzError) as error:
            # A panic of a call made inside a callback passes through the calls around it.
            if isinstance(error, PANIC) and not may_panic and not getattr(error, "from_a_callback", False):
                raise AssertionError(f"call {self.calls} ({label}, args {args!r}, kwargs {kwargs!r}) panicked: "
                                     f"{error}") from error
            if self.nesting:  # an error inside a callback goes on up, as it would in a program
                if not isinstance(error, (*DOCUMENTED, PANIC, FuzzError)):
                    # Checked here against its own call; the outer call need not expect it.
                    raise FuzzError(f"from a nested call: {error!r}") from error
                error.from_a_callback = True
                raise
            return error
        except BaseException as error:
            raise AssertionError(
                f"call {self.calls} ({label}, args {args!r}, kwargs {kwargs!r}) raised an undocumented "
                f"{type(error).__name__}: {error}") from error


PANIC = panic_type()
TERMINATIONS = [getattr(tarvik.Termination, name) for name in (
    "CHECKMATE", "STALEMATE", "INSUFFICIENT_MATERIAL", "SEVENTYFIVE_MOVES", "FIVEFOLD_REPETITION", "FIFTY_MOVES",
    "THREEFOLD_REPETITION")]
BOARD_STATE = board_state_type()
BOARD_METHODS = [name for name, value in vars(tarvik.Board).items()
                 if type(value).__name__ in ("method_descriptor", "classmethod_descriptor")]
# The methods registered after the pickling support answer or raise ValueError on any board, broken ones
# included: PanicException from them is a fault.
NEVER_PANIC = set(BOARD_METHODS[BOARD_METHODS.index("__setstate__") + 1:])
BOOK_METHODS = [name for name, value in vars(tarvik.BookReader).items()
                if type(value).__name__ == "method_descriptor"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--calls", type=int, default=100_000)
    parser.add_argument("--seconds", type=float, default=float("inf"))
    options = parser.parse_args()
    fuzzer = Fuzzer(options.seed)
    deadline = time.monotonic() + options.seconds
    try:
        while fuzzer.calls < options.calls and time.monotonic() < deadline:
            fuzzer.one_call()
    except AssertionError as failure:
        print(f"api_fuzz seed {options.seed}: FAILED: {failure}", file=sys.stderr)
        return 1
    print(f"api_fuzz seed {options.seed}: {fuzzer.calls} calls, every one returned or raised a documented exception")
    return 0


if __name__ == "__main__":
    sys.exit(main())
