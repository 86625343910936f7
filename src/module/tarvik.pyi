"""The module `tarvik` exports `Board`, `Move` and `hello_world` (its `__all__`). Beside them it holds
`Termination` and `Outcome` (how a game ended), `read_pgn`, `PgnReader`, `Game`, `GameNode`, `Headers`,
`Score` and `Arrow` (games, built and annotated), `pgn_table` and `PgnTable` (corpora as Arrow tables),
`open_book`, `BookReader` and `BookEntry` (opening books), and python-chess's square helpers (`square_name`,
`parse_square`, `square`, `square_file`, `square_rank`, `square_distance`, `SQUARE_NAMES`, the square
constants `A1` to `H8`, `WHITE` and `BLACK`). This reference lists every class, method and attribute with its
signature, result, errors and an example; the [user guide](guide.md) explains how they fit together. The same
texts are the docstrings `help()` shows, except for `hello_world`, `Move` (with `uci()`, `from_square`,
`to_square` and `promotion`) and `Board` (with its first 24 methods, `set_board` to `pop`, and `turn`): those
keep `__doc__` None, and `help()` shows only their signatures. This typed stub carries every text to editors
and type checkers.

Conventions used below:

- **Squares** are integers 0..63: a1 = 0, b1 = 1, …, h1 = 7, a2 = 8, …, h8 = 63. A **bitboard** is an integer
  below 2**64 whose bit *i* stands for square *i*.
- **Access** says how a method holds its board while it runs. *Shared* methods only read it; *exclusive* ones
  may change it, or change it for a moment and put it back. The difference shows only when Python code runs in
  the middle of a call (an argument's own `__index__` or `__bool__`) and touches the same board: a second use
  during an exclusive hold, or a change during a shared one, raises `RuntimeError` ("Already borrowed",
  "Already mutably borrowed") at once. Nothing ever waits.
- Every argument may be given by position or by keyword unless the signature says otherwise. Argument errors
  are `TypeError` (with the argument's name: `"argument 'uci': 'int' object cannot be converted to
  'PyString'"`), `ValueError` for a one-character argument of another length, and `OverflowError` for integers
  out of range; they are not repeated below.
- **PanicException** (`pyo3_runtime.PanicException`, derived from `BaseException`, so `except Exception` does
  not catch it) reports an internal check of the engine that failed, with a message. It is not an attribute of
  the module.
- **Lenient** means: the raw piece-set methods (`set_pieces_or`, `set_pieces_xor`) can put a square in several
  sets, in both colours or in none, give a side two kings or none. Every method then works on the sets as they
  stand: it answers, or raises `PanicException` where a generator cannot go on (a side without a king, either
  side: the check test generates the other side's moves, king's included; an en-passant square off the board;
  a move that would capture a king), or `ValueError` where text names no
  legal move. The methods from `unicode` on never raise `PanicException`: where they cannot answer on a broken
  board they raise `ValueError` ("broken position: White has no king").

>>> import tarvik
>>> from tarvik import Board, Game, Move
"""

import os
import random as _random
from collections.abc import Buffer, Iterable, Iterator, Mapping
from typing import IO, Any, Self, final

__all__ = ["Board", "Move", "hello_world"]

def hello_world() -> None:
    """Writes `Hello World!` and a newline to the process's standard output, past `sys.stdout` (so
    `contextlib.redirect_stdout` does not catch it). Returns `None`. Raises `PanicException` if the output
    cannot be written.

    >>> tarvik.hello_world()     # Hello World! goes to the process's standard output
    """

def read_pgn(
    source: str | os.PathLike[str] | Buffer | IO[bytes] | IO[str],
    /,
    *,
    start: int = 0,
    stop: int | None = None,
    headers_only: bool = False,
    threads: int | None = None,
) -> PgnReader:
    r"""Reads the games of a PGN file, one `Game` at a time, every move checked: an iterator that reads its
    source piece by piece, so memory stays bounded by the longest game however large the file.

    `source` is a path (`str` or `os.PathLike`), a bytes-like object holding PGN text, or a file object
    opened in binary or text mode (its `read()` is called). Text that is not UTF-8 is read with the
    offending bytes replaced by U+FFFD, never fatal; a byte-order mark, CRLF line ends, `%` escape lines
    and `;` comments are read as the standard says. A missing file raises `FileNotFoundError`; an error of a
    file object's `read()` propagates.

    `start` and `stop` (byte offsets, for paths and bytes-like sources) select the games whose first byte
    (`Game.offset`) lies in `[start, stop)`: cutting a file at any byte positions and reading every piece
    yields every game exactly once, which is how a file is split over many processes or machines.

    A source whose bytes open with the zstd, gzip or bzip2 magic number is decompressed as it is read
    (several frames, members or streams one after the other read as one), in bounded memory. Offsets then
    count bytes of the decompressed text, and reading from `start` means decompressing all that lies
    before it. Compressed data that is cut short raises `EOFError`, corrupt data `OSError`, each naming
    the file and the offset in the text where the data broke, once every complete game before it has been
    read.

    `headers_only=True` passes over the movetext: the games hold their tags, offset and result marker, and
    no moves, comments or move errors; reading is several times faster, for filtering a large file by its
    tags before reading the games that pass (with `start=game.offset, stop=game.offset + 1`).

    `threads` reads on that many native threads, without the GIL (`None`: every core the process may use,
    as its CPU affinity says; `1`: in the calling thread alone). The games come out in file order, the same
    for every thread count; the calling thread reads the source (a file object's `read()` is called there)
    and cuts the text into stretches of about half a megabyte at lines where a game must begin, which the
    threads read; a source of one stretch is read in the calling thread. Leaving the loop or dropping the
    iterator stops the threads; Ctrl-C stops a read that waits for them. Work already spread over
    processes (a process pool, Dask workers) should pass `threads=1`.

    A bad game never costs the others: an illegal, ambiguous or unreadable move ends its line (the moves
    before it are kept) and is reported in `Game.errors`. Where one game ends and the next begins: a blank
    line outside a comment, a line that opens a new tag pair (also where no blank line parts the games or a
    brace comment was never closed), or the end of the line of a result marker outside variations; a lone
    result marker after a game is that game's result.

    >>> pgn = b'[White "Anna"]\n[Black "Ben"]\n\n1. e4 e5 2. Nf3 {good} Nc6 *\n\n1. d4 d5 1-0\n'
    >>> [(game.headers.get("White"), len(game.moves), game.result) for game in tarvik.read_pgn(pgn)]
    [('Anna', 4, '*'), (None, 2, '1-0')]
    """

def pgn_table(
    source: str | os.PathLike[str] | Buffer | IO[bytes] | IO[str],
    *,
    rows: str = "games",
    tags: str | Iterable[str] | None = None,
    start: int = 0,
    stop: int | None = None,
    threads: int | None = None,
    batch_rows: int | None = None,
    uci: bool = False,
) -> PgnTable:
    r"""The games of a PGN corpus as an Arrow table: a `PgnTable`, a one-shot stream of record batches that
    `pyarrow.table(t)`, `polars.DataFrame(t)` and DuckDB (`duckdb.sql("from t")`) read through the Arrow
    PyCapsule interface, without a Python object per game and without copying the columns. The games are
    read and the batches built on worker threads while the consumer reads; every value equals what the
    `Game` objects of `read_pgn` say for the same source, whatever the thread count and byte range.

    `source`, `start` and `stop` are as for `read_pgn` (a compressed file or buffer is decompressed as it is
    read). `rows="games"` gives one row per game, `rows="positions"` one row per position of every mainline,
    the start included; the user guide lists the columns, their types and units. `tags` (games rows only)
    chooses the tag columns, each named as its tag and null where the game lacks it: None for the seven-tag
    roster, `WhiteElo`, `BlackElo`, `TimeControl`, `ECO`, `Opening`, `Termination`, `UTCDate`, `UTCTime` and
    `FEN`; a list of names; or "all" for one map column `tags` of every tag. `threads` is the number of
    worker threads (None: one per available core; 1 reads in the consuming thread). `batch_rows` bounds the
    rows of a record batch (None: one batch per stretch of about half a megabyte of text). Moves are
    integer codes `from | to << 6 | promotion << 12` (promotion 0 none, 1 knight, 2 bishop, 3 rook,
    4 queen); `uci=True` writes them as UCI text instead.

    Arguments are checked at the call: `ValueError` for an unknown `rows`, a tag list that repeats a name or
    names a fixed column, `tags` with positions rows, `threads` or `batch_rows` below 1; a missing file
    raises `FileNotFoundError`. A source that fails while the stream is read (a file object's `read()`
    raising, compressed data cut short) ends the stream with its message, which the consumer raises. A game
    with errors is a row like any other, its errors in `errors`.

    >>> import pyarrow
    >>> pgn = b'[White "Anna"]\n\n1. e4 { [%clk 0:03:00] } e5 2. Qh5 Nc6 3. Bc4 Nf6 4. Qxf7# 1-0\n'
    >>> table = pyarrow.table(tarvik.pgn_table(pgn, tags=["White"]))
    >>> table.column_names
    ['offset', 'White', 'result', 'plies', 'moves', 'clocks', 'evals', 'mates', 'errors', 'final_fen']
    >>> table["White"][0], table["plies"][0], table["clocks"][0]
    (<pyarrow.StringScalar: 'Anna'>, <pyarrow.UInt32Scalar: 7>, <pyarrow.ListScalar: [180.0, None, None, None, None, None, None]>)
    >>> positions = pyarrow.table(tarvik.pgn_table(pgn, rows="positions", uci=True))
    >>> positions["move"].to_pylist()[:3], positions.num_rows
    (['e2e4', 'e7e5', 'd1h5'], 8)
    """

def open_book(path: str | bytes | os.PathLike[str] | os.PathLike[bytes]) -> BookReader:
    """Opens a Polyglot opening book: the file is read whole, once, and checked (a whole number of 16-byte
    entries, keys in ascending order). Returns a `BookReader`, best used as a context manager. Raises
    `FileNotFoundError` and the other `OSError`s as `open()` does, and `ValueError` for a file that is no book
    (truncated, or keys out of order).

    The examples below use a book of two entries for the starting position, written here:

    >>> import os, struct, tempfile
    >>> path = os.path.join(tempfile.mkdtemp(), "tiny.bin")
    >>> start = Board().zobrist_hash()
    >>> e2e4, d2d4 = 12 << 6 | 28, 11 << 6 | 27        # from-square in bits 6-11, to-square in bits 0-5
    >>> with open(path, "wb") as file:
    ...     _ = file.write(struct.pack(">QHHI", start, e2e4, 3, 0) + struct.pack(">QHHI", start, d2d4, 1, 0))
    >>> with tarvik.open_book(path) as book:
    ...     [(entry.move.uci(), entry.weight) for entry in book.find_all(Board())]
    [('e2e4', 3), ('d2d4', 1)]
    """

def square_name(square: int) -> str:
    """The name of `square` (0..63): its file letter and rank number. Raises `ValueError` for a square outside
    0..63.

    >>> tarvik.square_name(0), tarvik.square_name(28), tarvik.square_name(63)
    ('a1', 'e4', 'h8')
    """

def parse_square(name: str) -> int:
    """The square a name `a1`..`h8` names (lower-case file letter, then rank digit). Raises `ValueError` for
    any other text ("invalid square name: 'e9' (expected a1 to h8)").

    >>> tarvik.parse_square("e4"), tarvik.parse_square("h8")
    (28, 63)
    """

def square(file_index: int, rank_index: int) -> int:
    """The square on a file and a rank, each counted 0..7 from the a-file and the first rank: `rank_index * 8 +
    file_index`. Raises `ValueError` for an index outside 0..7.

    >>> tarvik.square(4, 3) == tarvik.E4
    True
    """

def square_file(square: int) -> int:
    """The file of `square`, 0 for the a-file to 7 for the h-file. Raises `ValueError` for a square outside
    0..63.

    >>> tarvik.square_file(tarvik.E4)
    4
    """

def square_rank(square: int) -> int:
    """The rank of `square`, 0 for the first rank to 7 for the eighth. Raises `ValueError` for a square
    outside 0..63.

    >>> tarvik.square_rank(tarvik.E4)
    3
    """

def square_distance(a: int, b: int) -> int:
    """The number of king steps from square `a` to square `b`: the larger of the file and rank distances.
    Raises `ValueError` for a square outside 0..63.

    >>> tarvik.square_distance(tarvik.A1, tarvik.H8), tarvik.square_distance(tarvik.E4, tarvik.F6)
    (7, 2)
    """

SQUARE_NAMES: list[str]
"""The 64 square names in square order: `SQUARE_NAMES[0]` is `"a1"`, `SQUARE_NAMES[63]` is `"h8"`. A new list is
made at import; changing it changes nothing else."""

WHITE: bool
"""`True`: the colour argument of White (`Board.king(tarvik.WHITE)`)."""

BLACK: bool
"""`False`: the colour argument of Black."""

# The squares by name: A1 = 0, B1 = 1, ..., H8 = 63.
A1: int
B1: int
C1: int
D1: int
E1: int
F1: int
G1: int
H1: int
A2: int
B2: int
C2: int
D2: int
E2: int
F2: int
G2: int
H2: int
A3: int
B3: int
C3: int
D3: int
E3: int
F3: int
G3: int
H3: int
A4: int
B4: int
C4: int
D4: int
E4: int
F4: int
G4: int
H4: int
A5: int
B5: int
C5: int
D5: int
E5: int
F5: int
G5: int
H5: int
A6: int
B6: int
C6: int
D6: int
E6: int
F6: int
G6: int
H6: int
A7: int
B7: int
C7: int
D7: int
E7: int
F7: int
G7: int
H7: int
A8: int
B8: int
C8: int
D8: int
E8: int
F8: int
G8: int
H8: int

@final
class Move:
    """A move from one square to another with an optional promotion letter. Moves are plain values with no tie
    to a board: every move a board returns is a new object holding a copy, and changing it changes nothing on
    the board. Moves compare and hash **by identity**: two moves with equal fields are different objects, so
    use `Board.is_legal` or compare `uci()` texts.
    """

    from_square: int
    """The square the piece leaves. Read and write; access shared to read, exclusive to write. A value that
    does not convert raises and leaves the old one. Deleting raises `AttributeError` ("can't delete
    attribute").

    >>> move = Move(12, 28)
    >>> move.from_square = 11
    >>> move.uci()
    'd2e4'
    """
    to_square: int
    """The square the piece arrives on; read and written as `from_square`.

    >>> move = Move(12, 28)
    >>> move.to_square = 20
    >>> move.uci()
    'e2e3'
    """
    promotion: str | None
    """The promotion letter as stored (`q`, `r`, `n` or `b` from the generators), or `None`. Assigning `None`
    clears it; anything else must be a one-character string.

    >>> move = Move(52, 60, "q")
    >>> move.promotion = None
    >>> move.uci()
    'e7e8'
    """

    def __new__(cls, from_square: int, to_square: int, promotion: str | None = None) -> Move:
        """Squares are integers 0..2**32-1 (squares off the board are kept and named by the same rule: 64 is
        a9); `promotion` is `None` or a one-character string, kept as given. Raises `OverflowError` for a square
        outside that range, `TypeError` for a non-integer square or a promotion that is not a str, `ValueError`
        for a promotion of another length than one.

        >>> Move(12, 28).uci(), Move(52, 60, "q").uci(), Move(64, 7).uci()
        ('e2e4', 'e7e8q', 'a9h1')
        >>> Move(12, 28) == Move(12, 28)
        False
        """
    def uci(self) -> str:
        """The UCI text: both square names and the promotion letter as stored. `str(move)` and `repr(move)` give
        the same text. Access shared.

        >>> move = Move(52, 60, "q")
        >>> move.uci() == str(move) == repr(move) == "e7e8q"
        True
        """
    @classmethod
    def from_uci(cls, uci: str) -> Move:
        """The move UCI text names: two squares a1..h8 and an optional promotion letter `q`, `r`, `b` or `n`,
        as in "e2e4" or "e7e8q". Any other text raises `ValueError` ("invalid uci: 'e2e9'"). The move need not
        be legal anywhere; see `Board.is_legal`.

        >>> Move.from_uci("e7e8q").promotion
        'q'
        """
    def __reduce__(self) -> tuple[Any, ...]:
        """Pickle and copy support: `pickle`, `copy.copy` and `copy.deepcopy` give a new `Move` with the same
        fields.

        >>> import copy, pickle
        >>> original = Move(12, 28)
        >>> twin = pickle.loads(pickle.dumps(original))
        >>> twin.uci(), twin is original, copy.copy(original).uci()
        ('e2e4', False, 'e2e4')
        """

@final
class Board:
    """One game: a position, the FEN text the board was made from, and two stacks (the moves played and the
    position before each), so moves can be taken back. The class cannot be subclassed, its instances take no
    other attributes, and the class itself is immutable.

    `str(board)` and `repr(board)` draw the position, rank 8 first, one letter per piece (upper case for
    White) and `.` for an empty square (access shared):

    >>> print(Board("4k3/8/8/8/8/8/8/4K2R w K - 0 1"))
    . . . . k . . .
    . . . . . . . .
    . . . . . . . .
    . . . . . . . .
    . . . . . . . .
    . . . . . . . .
    . . . . . . . .
    . . . . K . . R
    """

    turn: bool
    """`True` when White is to move. Read (shared) and write (exclusive): assigning takes a `bool` or a numpy
    boolean and changes nothing else; other types raise `TypeError`. Deleting raises `AttributeError`.

    >>> board = Board()
    >>> board.turn = False
    >>> board.turn, [m.uci() for m in board.knight_moves()][:2]
    (False, ['g8h6', 'g8f6'])
    """

    def __new__(cls, starting_fen: str | None = None) -> Board:
        """The position of `starting_fen`, or of the standard starting position when it is `None`. The text is
        kept as given and re-read by `set_board()`. Reading is lenient: only these fail, with `PanicException`:

        | FEN problem | message |
        |---|---|
        | fewer than six space-separated fields | `Invalid starting fen; got {fen}, with {n} parts` |
        | a placement square past the board | `index out of bounds: the len is 64 but the index is {i}` |
        | a placement character that is no piece letter | `Invalid piece type` |
        | an en-passant field of one character | `index out of bounds: the len is 1 but the index is 1` |

        A non-str raises `TypeError`. For text you did not write, use the strict `Board.from_fen(fen)`.

        >>> Board("8/8/8/8/8/8/8/8 w - - 0 1").get_pieces("a")
        0
        """
    def set_board(self) -> None:
        """Puts the board back in the position of its own FEN text; both stacks keep their moves, so `pop()`
        still takes back what was played. Access exclusive. Returns `None`.

        >>> board = Board()
        >>> _ = board.push_san("e4")
        >>> board.set_board()
        >>> board.to_fen() == Board().to_fen(), board.pop().uci()
        (True, 'e2e4')
        """
    def get_pieces(self, piece_type: str) -> int:
        """The bitboard of one piece type (`p`, `r`, `n`, `b`, `q`, `k`, either case, both colours), of White's
        pieces (`w`) or of all pieces (`a`). Access shared. Raises `PanicException` ("Invalid piece type: x")
        for other letters.

        >>> Board().get_pieces("q") == 1 << 3 | 1 << 59
        True
        """
    def set_pieces_or(self, piece_type: str, bitboard: int) -> None:
        """Adds the squares of `bitboard` to the piece type's set and to the colour of the letter's case (upper
        case White). Nothing is checked: this is how broken positions are made (see the guide). Access
        exclusive. Raises `PanicException` ("Invalid piece type") for letters other than PRNBQK and prnbqk.

        >>> board = Board("4k3/8/8/8/8/8/8/4K3 w - - 0 1")
        >>> board.set_pieces_or("N", 1 << 27)          # a white knight on d4
        >>> board.get_pieces("n") == board.get_pieces("w") & 1 << 27 == 1 << 27
        True
        """
    def set_pieces_xor(self, piece_type: str, bitboard: int) -> None:
        """Toggles the squares of `bitboard` in the piece type's set only; the colour sets stay. Access
        exclusive. Raises `PanicException` ("Invalid piece type") as `set_pieces_or`.

        >>> board = Board("4k3/8/8/8/8/8/8/4K3 w - - 0 1")
        >>> board.set_pieces_or("N", 1 << 27)
        >>> board.set_pieces_xor("N", 1 << 27)         # gone from the knights, still a white piece
        >>> board.get_pieces("n"), board.get_pieces("w") == 1 << 4 | 1 << 27
        (0, True)
        """
    def pawn_moves(self) -> list[Move]:
        """The pawn moves of the side to move, pseudo-legal (the king's safety is not asked), in a fixed order
        (see the guide): single pushes (promotions as q, r, n, b), double pushes, captures, en passant; each
        group by target square, highest first. Access exclusive. Raises `PanicException` when the en-passant
        square lies off the board.

        >>> [m.uci() for m in Board().pawn_moves()][:3]
        ['h2h3', 'g2g3', 'f2f3']
        """
    def knight_moves(self) -> list[Move]:
        """The knight moves of the side to move, pseudo-legal; origins and targets highest first. Access shared.

        >>> [m.uci() for m in Board().knight_moves()]
        ['g1h3', 'g1f3', 'b1c3', 'b1a3']
        """
    def king_moves(self) -> list[Move]:
        """The one-step moves of the side to move's highest king, without castling, pseudo-legal. Access shared.
        Raises `PanicException` when the side to move has no king.

        >>> [m.uci() for m in Board("4k3/8/8/8/8/8/8/4K3 w - - 0 1").king_moves()]
        ['e1f2', 'e1e2', 'e1d2', 'e1f1', 'e1d1']
        """
    def bishop_moves(self) -> list[Move]:
        """The bishop moves of the side to move, pseudo-legal: per origin, the rays up-right, up-left,
        down-right and down-left, each nearest square first. Access shared.

        >>> [m.uci() for m in Board("4k3/8/8/8/8/8/8/2B1K3 w - - 0 1").bishop_moves()]
        ['c1d2', 'c1e3', 'c1f4', 'c1g5', 'c1h6', 'c1b2', 'c1a3']
        """
    def rook_moves(self) -> list[Move]:
        """The rook moves of the side to move, pseudo-legal: rays up, right, left and down. Access shared.

        >>> len(Board("4k3/8/8/8/8/8/8/R3K3 w - - 0 1").rook_moves())
        10
        """
    def queen_moves(self) -> list[Move]:
        """The queen moves of the side to move, pseudo-legal, in the eight king directions. Access shared.

        >>> len(Board("4k3/8/8/8/3Q4/8/8/4K3 w - - 0 1").queen_moves())
        27
        """
    def pseudo_legal_moves(self) -> list[Move]:
        """Pawn, knight, king, bishop, rook and queen moves joined in that order; no castling. Access
        exclusive. Raises as `pawn_moves` and `king_moves` do.

        >>> len(Board().pseudo_legal_moves())
        20
        """
    def _is_attacked(self, square: int) -> bool:
        """Whether the side not to move has a pseudo-legal move onto `square` (0..255; squares off the board
        are never reached). Pawns count where they could move: straight ahead onto an empty square, diagonally
        only onto an enemy piece. Access exclusive. Raises `PanicException` when the other side's moves cannot
        be listed.

        >>> Board()._is_attacked(44), Board()._is_attacked(20)    # e6, e3
        (True, False)
        """
    def is_check(self) -> bool:
        """Whether the side to move's highest king stands on a square the other side reaches. `False` when the
        side to move has no king. Access exclusive. Raises `PanicException` when the other side has no king.

        >>> Board("4k3/8/8/8/8/8/8/4K2r w - - 0 1").is_check()
        True
        """
    def _castling_moves(self) -> list[Move]:
        """The castling moves allowed now (the king's move e1g1, e1c1, e8g8, e8c8), in the order of the
        castling rights text: rights held, king and rook at home, the squares between empty and the king's path
        not attacked. Access exclusive.

        >>> [m.uci() for m in Board("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1")._castling_moves()]
        ['e8g8', 'e8c8']
        """
    def legal_moves(self) -> list[Move]:
        """Castling moves, then every pseudo-legal move that leaves the mover's king unattacked, in generation
        order; the order is fixed, so the same position always gives the same list. Access exclusive; the
        board is unchanged. Raises `PanicException` when either side has no king (a lone White king with White
        to move too: the check test generates the moves of the side without one), the en-passant square lies
        off the board, or a move could capture the other side's king.

        >>> [m.uci() for m in Board("4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1").legal_moves()][:2]
        ['e1g1', 'e1c1']
        """
    def _reset_half_move_clock(self, from_mask: int, to_mask: int) -> bool:
        """Whether a move between these squares resets the half-move clock: a pawn of the side to move on a
        from-square, or a piece of the other side on a to-square. Both are bitboards. Access shared.

        >>> Board()._reset_half_move_clock(1 << 12, 0), Board()._reset_half_move_clock(1 << 6, 1 << 21)
        (True, False)
        """
    def _check_castling_rights(self) -> bool:
        """Whether the side to move still holds one of its castling letters (`K` or `Q` for White, `k` or `q`
        for Black). Access shared.

        >>> Board()._check_castling_rights(), Board("4k3/8/8/8/8/8/8/4K3 w - - 0 1")._check_castling_rights()
        (True, False)
        """
    def _remove_castling_rights(self, id: str) -> None:
        """`"a"` removes all castling rights; `"k"` and `"q"` remove the side to move's king-side or queen-side
        right. Access exclusive. Raises `PanicException`: "Invalid castling rights" for another letter, and
        "called `Option::unwrap()` on a `None` value" for `"k"` or `"q"` when the rights are absent (FEN
        field `-`).

        >>> board = Board()
        >>> board._remove_castling_rights("k")
        >>> board.to_fen().split()[2]
        'Qkq'
        """
    def apply_move(self, mov: Move) -> None:
        """Plays any move, legal or not, and hands the turn to the other side: it moves the piece found on the
        from-square, captures, promotes, castles the rook with a king move of two squares when a right is held,
        takes en passant, and keeps the clocks, the en-passant square and the castling rights. The move and the
        position before it are pushed first, so `pop()` takes back even a move that failed. Access exclusive.
        Returns `None`. Raises `PanicException` for a square off the board, no piece on the from-square ("Could
        not find the piece to move for a3a4"), or a promotion letter other than `b`, `n`, `q`, `r`.

        >>> board = Board()
        >>> board.apply_move(Move(12, 28))
        >>> board.to_fen()
        'rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1'
        """
    def is_checkmate(self) -> bool:
        """Whether the side to move is in check and has no legal move. Access exclusive. Raises as
        `legal_moves`.

        >>> Board("7k/6Q1/6K1/8/8/8/8/8 b - - 0 1").is_checkmate()
        True
        """
    def is_stalemate(self) -> bool:
        """Whether the side to move is not in check and has no legal move. Access exclusive. Raises as
        `legal_moves`.

        >>> Board("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1").is_stalemate()
        True
        """
    def is_game_over(self) -> bool:
        """Checkmate or stalemate; the draw rules are separate methods. Access exclusive. Raises as
        `legal_moves`.

        >>> Board().is_game_over()
        False
        """
    def _restore(self, board_state: Any) -> None:
        """Writes a position snapshot into the board. No method hands snapshots to Python, so only the board's
        own history ever holds one; any other argument raises `TypeError`. Access exclusive.

        >>> Board()._restore(None)
        Traceback (most recent call last):
            ...
        TypeError: argument 'board_state': 'NoneType' object cannot be converted to 'BoardState'
        """
    def pop(self) -> Move:
        """Takes the newest move back, restoring the position from before it, and returns the move. Access
        exclusive. Raises `PanicException` ("called `Option::unwrap()` on a `None` value") when no move
        is left.

        >>> board = Board()
        >>> _ = board.push_uci("g1f3")
        >>> board.pop().uci(), board.to_fen() == Board().to_fen()
        ('g1f3', True)
        """
    def to_fen(self) -> str:
        """The current position as FEN text: placement, side to move, castling rights, en-passant square and
        both clocks. The en-passant square is written after every double pawn push, whether or not a capture
        there is possible; the castling field is `-` when no right is left. On a broken board each square shows
        what `str(board)` shows, so `Board(to_fen())` has the same text form, side to move and legal moves.
        Access shared.

        >>> board = Board()
        >>> _ = board.push_uci("e2e4")
        >>> board.to_fen()
        'rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1'
        """
    def copy(self) -> Board:
        """An independent board with the same FEN text, position and move history, so `pop()` and
        `set_board()` work on the copy as on the original. `copy.copy()` and `copy.deepcopy()` give the same.
        Access shared.

        >>> board = Board()
        >>> _ = board.push_san("d4")
        >>> twin = board.copy()
        >>> _ = twin.push_san("d5")
        >>> board.to_fen() != twin.to_fen(), twin.pop().uci(), twin.pop().uci()
        (True, 'd7d5', 'd2d4')
        """
    def is_legal(self, move: Move) -> bool:
        """Whether a move with the same `from_square`, `to_square` and `promotion` is among `legal_moves()`.
        Use it instead of `move in board.legal_moves()`: moves compare by identity. Access shared. Raises
        `PanicException` where `legal_moves()` does (broken positions).

        >>> Board().is_legal(Move(12, 28)), Board().is_legal(Move(12, 36))
        (True, False)
        """
    def push_uci(self, uci: str) -> Move:
        """Plays the legal move UCI text names ("e2e4", "e7e8q", castling as the king's move "e1g1") and
        returns it. Access exclusive. Raises `ValueError`: "invalid uci: 'e9' in {fen}" for malformed text,
        "illegal uci: 'e2e5' in {fen}" for a move that is not legal; the board is then unchanged.

        >>> board = Board()
        >>> board.push_uci("e2e4").uci()
        'e2e4'
        >>> board.push_uci("e2e4")
        Traceback (most recent call last):
            ...
        ValueError: illegal uci: 'e2e4' in rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1
        """
    def san(self, move: Move) -> str:
        """The Standard Algebraic Notation of a legal move, with `+` for check and `#` for mate: "Nf3",
        "exd5", "Rad1", "e8=Q+", "O-O". Access shared. Raises `ValueError` ("illegal move: 'e2e5' in {fen}") for
        a move that is not legal here.

        >>> Board().san(Move(6, 21))
        'Nf3'
        """
    def parse_san(self, san: str) -> Move:
        """The legal move SAN text names, not played. Accepts what `san` writes, and also text without check
        marks, "0-0" and "0-0-0", promotions without "=" ("e8Q"), origins given in full ("Ng1f3"), a "-"
        between origin and target ("Ng1-f3"), and a trailing "!", "?", "!!", "??", "!?" or "?!". Access shared.
        Raises `ValueError` for malformed ("invalid san"), illegal ("illegal san") or ambiguous ("ambiguous
        san") text, naming the text and the position's FEN.

        >>> Board("4k3/8/8/R7/8/8/8/R3K3 w - - 0 1").parse_san("R1a3").uci()
        'a1a3'
        """
    def push_san(self, san: str) -> Move:
        """Plays the legal move SAN text names (see `parse_san`) and returns it. Access exclusive. Raises
        `ValueError` as `parse_san` does; the board is then unchanged.

        >>> board = Board()
        >>> board.push_san("Nf3").uci()
        'g1f3'
        """
    def zobrist_hash(self) -> int:
        """The position's Polyglot key, the 64-bit hash opening books use: pieces, castling rights that could
        still be used, the en-passant file when a pawn stands ready to take there, and the side to move. Access
        shared.

        >>> f"{Board().zobrist_hash():#018x}"
        '0x463b96181691fc9c'
        """
    def is_repetition(self, count: int = 3) -> bool:
        """Whether the current position has occurred `count` times (itself included) since the last
        irreversible move: a capture, a pawn move or a move that gave up castling rights. Positions are the
        same when pieces, side to move, usable castling rights and a legal en-passant capture are the same.
        `True` for a count of 1 or less. Access shared. Raises `PanicException` where `legal_moves()` would.

        >>> board = Board()
        >>> for san in ["Nc3", "Nc6", "Nb1", "Nb8"]:
        ...     _ = board.push_san(san)
        >>> board.is_repetition(2), board.is_repetition()
        (True, False)
        """
    def is_fifty_moves(self) -> bool:
        """Whether a draw can be claimed by the fifty-move rule: the half-move clock is at least 100 and the
        side to move has a legal move (a mate on the hundredth half-move ends the game first). Access shared.

        >>> Board("7k/8/8/8/8/8/8/K5R1 w - - 120 80").is_fifty_moves()
        True
        """
    def is_seventyfive_moves(self) -> bool:
        """Whether the game is drawn by the seventy-five-move rule: the half-move clock is at least 150 and
        the side to move has a legal move. Access shared.

        >>> Board("7k/8/8/8/8/8/8/K5R1 w - - 120 80").is_seventyfive_moves()
        False
        """
    def is_fivefold_repetition(self) -> bool:
        """Whether the game is drawn by fivefold repetition: `is_repetition(5)`. Access shared.

        >>> Board().is_fivefold_repetition()
        False
        """
    def is_insufficient_material(self) -> bool:
        """Whether neither side can mate however the other plays: kings alone, a lone knight, or bishops all
        on squares of one colour. A knight or bishop still counts as enough while the other side has pieces
        that could block its own king in (a self-mate). Access shared.

        >>> Board("8/8/4k3/8/8/2N5/4K3/8 w - - 0 1").is_insufficient_material()
        True
        """
    def perft(self, depth: int) -> int:
        """The number of leaf paths `depth` plies deep in the legal move tree (1 for depth 0), counted
        natively; the board is unchanged. The usual check of a move generator against published counts. Access
        shared. Raises `PanicException` where `legal_moves()` would, anywhere in the tree, and `ValueError` when
        a line of moves would lead the search deeper than 256 plies.

        >>> Board().perft(3)
        8902
        """
    def __copy__(self) -> Board:
        """The same as `copy()`. Access shared."""
    def __deepcopy__(self, memo: object) -> Board:
        """The same as `copy()`: a board holds no other objects. Access shared."""
    def __reduce__(self) -> tuple[Any, ...]:
        """Pickle support: the FEN text the board was made from and its game as bytes. Boards pickle with
        every protocol: the FEN text, the position and both stacks travel, and the unpickled board is new and
        independent. Access shared.

        >>> import pickle
        >>> board = Board()
        >>> _ = board.push_san("c4")
        >>> again = pickle.loads(pickle.dumps(board, protocol=2))
        >>> again.to_fen() == board.to_fen(), again.pop().uci()
        (True, 'c2c4')
        """
    def __setstate__(self, state: bytes) -> None:
        """Pickle support: replaces the position and both stacks with those of `state`, bytes from
        `__reduce__()`. Other bytes raise `ValueError` ("invalid Board state") and change nothing. Access
        exclusive.

        >>> Board().__setstate__(b"not a board")
        Traceback (most recent call last):
            ...
        ValueError: invalid Board state
        """
    def unicode(self, *, invert_color: bool = False, borders: bool = False, empty_square: str = "⭘",
                orientation: bool = True) -> str:
        """The position drawn with the Unicode chess symbols (♔ ♕ ♖ ♗ ♘ ♙ for White, ♚ ♛ ♜ ♝ ♞ ♟ for Black),
        rank 8 first, symbols separated by spaces and `empty_square` on empty squares. `invert_color` swaps the
        symbols of the two sides (for light text on a dark terminal); `borders` frames the squares and adds the
        rank and file names; `orientation=False` shows the board from Black's side. The same text as
        python-chess's `Board.unicode`, broken boards included: a square that a colour set holds shows the
        first of pawn, knight, bishop, rook and queen whose set holds it (else a king), in White's symbol when
        the white set holds it. Access shared.

        >>> print(Board("4k3/8/8/8/8/8/8/4K2R w K - 0 1").unicode(empty_square="·"))
        · · · · ♚ · · ·
        · · · · · · · ·
        · · · · · · · ·
        · · · · · · · ·
        · · · · · · · ·
        · · · · · · · ·
        · · · · · · · ·
        · · · · ♔ · · ♖
        """
    def svg(self, *, size: int | None = 390, flipped: bool = False, lastmove: Move | None = None,
            check: int | None = None, arrows: Iterable[tuple[int, int]] = (), coordinates: bool = True) -> str:
        """The position as an SVG picture: `size` pixels wide and high (`None`: as large as its container
        makes it), White at the bottom unless `flipped`, the squares of `lastmove` highlighted, the square
        `check` marked red, an arrow for each `(tail, head)` pair of squares in `arrows` (a circle when both
        are one square), and the file and rank names around the board when `coordinates`. The pieces and
        names are drawn as shapes, so the picture needs no fonts. Squares show pieces as `unicode()` reads
        them. Access shared. Raises `ValueError` for a `check` or arrow square above 63, or an arrow that is
        not a pair.

        >>> picture = Board().svg(size=200, arrows=[(12, 28)])
        >>> picture.startswith("<svg") and 'width="200"' in picture, picture.count('class="arrow"')
        (True, 1)
        """
    def _repr_svg_(self) -> str:
        """The picture notebooks such as Jupyter show for a board: `svg()` with the last move played
        highlighted and the king of the side to move marked when it stands in check (on a broken board whose
        check cannot be told, unmarked). Access shared.

        >>> board = Board()
        >>> board._repr_svg_() == board.svg()
        True
        >>> _ = board.push_san("e4")
        >>> board._repr_svg_() == board.svg(lastmove=Move(12, 28))
        True
        """
    def piece_at(self, square: int) -> str | None:
        """The letter of the piece on `square` (0..63), upper case for White, or `None` for an empty square: what
        `str(board)` shows there, also on a broken board. Access shared. Raises `ValueError` for a square
        outside 0..63.

        >>> board = Board()
        >>> board.piece_at(4), board.piece_at(60), board.piece_at(28)
        ('K', 'k', None)
        """
    def piece_map(self) -> dict[int, str]:
        """Every piece on the board as `{square: letter}`, highest square first, as `piece_at` reads each square.
        Access shared.

        >>> Board("4k3/8/8/8/8/8/8/4K2R w K - 0 1").piece_map()
        {60: 'k', 7: 'R', 4: 'K'}
        """
    def king(self, color: bool) -> int | None:
        """The square of the king of `color` (`True` for White), or `None` when that side has none; with several
        kings, the highest, the one the engine moves. Access shared. `color` must be a `bool`.

        >>> Board().king(True), Board().king(False), Board("8/8/8/8/8/8/8/8 w - - 0 1").king(True)
        (4, 60, None)
        """
    def attackers(self, color: bool, square: int) -> int:
        """The bitboard of the pieces of `color` that attack `square` by the rules of chess: pawns diagonally
        forward, knights and kings by their jumps, sliders up to the first piece in the way. A piece attacks
        squares of its own side and counts even when pinned. Access shared. Raises `ValueError` for a square
        outside 0..63.

        >>> Board().attackers(True, 21) == 1 << 6 | 1 << 12 | 1 << 14    # f3: Ng1, e2, g2
        True
        """
    def attacks(self, square: int) -> int:
        """The bitboard of the squares the piece on `square` attacks (the piece `piece_at` shows), with sliders
        stopping at the first piece; 0 for an empty square. Access shared. Raises `ValueError` for a square
        outside 0..63.

        >>> Board().attacks(6) == 1 << 12 | 1 << 21 | 1 << 23          # Ng1: e2, f3, h3
        True
        """
    def checkers(self) -> int:
        """The bitboard of the pieces giving check to the side to move's king (its highest king), by the rules
        of chess; 0 when there is no check or no king. Access shared.

        >>> Board("4k3/8/8/8/8/3n4/8/r3K3 w - - 0 1").checkers() == 1 << 0 | 1 << 19
        True
        """
    def is_pinned(self, color: bool, square: int) -> bool:
        """Whether `square` stands alone between the king of `color` and a rook, bishop or queen of the other
        side that moves along that line: `pin(color, square)` is not the whole board. Whatever stands on the
        square, if anything, counts. Access shared. Raises `ValueError` for a square outside 0..63.

        >>> board = Board("4k3/8/8/8/1b6/8/3N4/4K3 w - - 0 1")
        >>> board.is_pinned(True, 11), board.is_pinned(False, 25)
        (True, False)
        """
    def pin(self, color: bool, square: int) -> int:
        """The line of a pin: the bitboard of the whole rank, file or diagonal through the king of `color` and
        the pinned `square`; every square (`2**64 - 1`) when the square is not pinned. Access shared. Raises
        `ValueError` for a square outside 0..63.

        >>> Board("4k3/8/8/8/1b6/8/3N4/4K3 w - - 0 1").pin(True, 11) == 1 << 4 | 1 << 11 | 1 << 18 | 1 << 25 | 1 << 32
        True
        """
    def has_kingside_castling_rights(self, color: bool) -> bool:
        """Whether `color` may still castle on the king's side by its rights: the right is held and king and rook
        stand at home (whether the squares between are free and safe does not matter). Access shared.

        >>> board = Board("r3k2r/8/8/8/8/8/8/R3K2R w Qk - 0 1")
        >>> board.has_kingside_castling_rights(True), board.has_kingside_castling_rights(False)
        (False, True)
        """
    def has_queenside_castling_rights(self, color: bool) -> bool:
        """Whether `color` may still castle on the queen's side by its rights, as
        `has_kingside_castling_rights`. Access shared.

        >>> Board("r3k2r/8/8/8/8/8/8/R3K2R w Qk - 0 1").has_queenside_castling_rights(True)
        True
        """
    def peek(self) -> Move:
        """The newest move played, as a new `Move`; the board keeps it. Access shared. Raises `IndexError` (as
        python-chess does) when no move has been played.

        >>> board = Board()
        >>> _ = board.push_san("e4")
        >>> board.peek().uci()
        'e2e4'
        """
    def ply(self) -> int:
        """The number of half-moves since the start of the game as the full-move number and the side to move
        tell it: `2 * (fullmove_number - 1)`, plus 1 with Black to move. Access shared.

        >>> Board("4k3/8/8/8/8/8/8/4K3 b - - 0 30").ply()
        59
        """
    @property
    def move_stack(self) -> list[Move]:
        """The moves played, oldest first, as a new list of new `Move` objects (changing it changes nothing on
        the board). Read-only; access shared.

        >>> board = Board()
        >>> _ = board.push_san("e4"), board.push_san("c5")
        >>> [move.uci() for move in board.move_stack]
        ['e2e4', 'c7c5']
        """
    @property
    def halfmove_clock(self) -> int:
        """The half-move clock: half-moves since the last capture or pawn move. Read-only; access shared.

        >>> Board("4k3/8/8/8/8/8/8/4K3 w - - 17 40").halfmove_clock
        17
        """
    @property
    def fullmove_number(self) -> int:
        """The full-move number, which grows after each move of Black. Read-only; access shared.

        >>> Board("4k3/8/8/8/8/8/8/4K3 w - - 17 40").fullmove_number
        40
        """
    @property
    def ep_square(self) -> int | None:
        """The en-passant square as stored: set after every double pawn push, whether or not a capture there is
        possible, `None` when there is none. A lenient FEN may give a square off the board (`e9` is 68), kept
        as it is. Read-only; access shared.

        >>> board = Board()
        >>> _ = board.push_san("e4")
        >>> board.ep_square
        20
        """
    def outcome(self, *, claim_draw: bool = False) -> Outcome | None:
        """How the game has ended, as an `Outcome`, or `None` while it goes on. Looked for in python-chess's
        order: checkmate (the winner is the side that gave it), insufficient material, stalemate, the
        seventy-five-move rule, fivefold repetition; with `claim_draw` (read by its truth value) also the draws
        the side to move could claim, by the fifty-move rule and then by threefold repetition. Access shared.
        Raises `ValueError` ("broken position: ...") on a broken board whose moves cannot be listed.

        >>> Board("7k/6Q1/6K1/8/8/8/8/8 b - - 0 1").outcome()
        Outcome(termination=<Termination.CHECKMATE: 1>, winner=True)
        >>> board = Board("7k/8/8/8/8/8/8/K5R1 w - - 120 80")
        >>> board.outcome() is None, board.outcome(claim_draw=True).termination
        (True, <Termination.FIFTY_MOVES: 6>)
        """
    def result(self, *, claim_draw: bool = False) -> str:
        """The result of `outcome(claim_draw=...)` as a PGN writes it: "1-0", "0-1", "1/2-1/2", or "*" while the
        game goes on. Access shared. Raises as `outcome`.

        >>> Board("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1").result(), Board().result()
        ('1/2-1/2', '*')
        """
    def can_claim_draw(self) -> bool:
        """Whether the side to move can claim a draw: `can_claim_fifty_moves()` or
        `can_claim_threefold_repetition()`. Access shared. Raises as `outcome`.

        >>> Board().can_claim_draw()
        False
        """
    def can_claim_threefold_repetition(self) -> bool:
        """Whether the side to move can claim a draw by threefold repetition: the position has occurred three
        times (as `is_repetition()` counts), or one of its legal moves leads to a position that has occurred
        twice. Access shared. Raises as `outcome`.

        >>> board = Board()
        >>> for san in ["Nf3", "Nf6", "Ng1", "Ng8", "Nf3", "Nf6", "Ng1"]:
        ...     _ = board.push_san(san)
        >>> board.is_repetition(), board.can_claim_threefold_repetition()     # Ng8 repeats the start
        (False, True)
        """
    def can_claim_fifty_moves(self) -> bool:
        """Whether the side to move can claim a draw by the fifty-move rule: `is_fifty_moves()`, or at a clock of
        99 a legal move that neither captures nor moves a pawn and after which the other side has a legal move.
        Access shared. Raises as `outcome`.

        >>> Board("7k/8/8/8/8/8/8/K5R1 w - - 99 80").can_claim_fifty_moves()
        True
        """
    def is_pseudo_legal(self, move: Move) -> bool:
        """Whether a move with the same squares and promotion is among `pseudo_legal_moves()` or
        `_castling_moves()`: legal but for the king's safety. Castling is the king's two-square move. A move with
        a square off the board is not. Access shared. Raises `ValueError` ("broken position: ...") when a
        broken board keeps the castling moves from being listed.

        >>> board = Board("4k3/8/8/8/8/8/3n4/4K3 w - - 0 1")
        >>> board.is_pseudo_legal(Move(4, 5)), board.is_legal(Move(4, 5)), board.is_pseudo_legal(Move(4, 20))
        (True, False, False)
        """
    def is_capture(self, move: Move) -> bool:
        """Whether the move captures: one of its squares holds a piece of the side not to move, or it takes en
        passant (`is_en_passant`). Like python-chess, it reads the squares of any move, legal or not. Access
        shared. Raises `ValueError` for a move with a square off the board.

        >>> board = Board("4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1")
        >>> board.is_capture(Move(28, 35)), board.is_capture(Move(28, 36))
        (True, False)
        """
    def is_en_passant(self, move: Move) -> bool:
        """Whether the move takes en passant: a pawn moving seven or nine squares on, onto the empty en-passant
        square. Access shared. Raises `ValueError` for a move with a square off the board.

        >>> Board("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1").is_en_passant(Move(36, 43))
        True
        """
    def is_castling(self, move: Move) -> bool:
        """Whether the move castles: a king moving more than one file, or onto a rook of its own side. Access
        shared. Raises `ValueError` for a move with a square off the board.

        >>> board = Board("4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1")
        >>> board.is_castling(Move(4, 6)), board.is_castling(Move(4, 5))
        (True, False)
        """
    def is_kingside_castling(self, move: Move) -> bool:
        """Whether the move castles (`is_castling`) towards the h-file. Access shared. Raises as `is_castling`.

        >>> Board("4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1").is_kingside_castling(Move(4, 6))
        True
        """
    def is_queenside_castling(self, move: Move) -> bool:
        """Whether the move castles (`is_castling`) towards the a-file. Access shared. Raises as `is_castling`.

        >>> Board("4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1").is_queenside_castling(Move(4, 6))
        False
        """
    def is_zeroing(self, move: Move) -> bool:
        """Whether the move resets the half-move clock: one of its squares holds a pawn or a piece of the side
        not to move. Access shared. Raises `ValueError` for a move with a square off the board.

        >>> Board().is_zeroing(Move(12, 28)), Board().is_zeroing(Move(6, 21))
        (True, False)
        """
    def is_irreversible(self, move: Move) -> bool:
        """Whether no position after the move can repeat one before it: it is zeroing, or it moves a king or
        touches a rook square whose castling rights can still be used, or a legal en-passant capture exists
        now. Access shared. Raises `ValueError` for a move with a square off the board, and ("broken position:
        ...") where the legal moves cannot be listed.

        >>> Board().is_irreversible(Move(6, 21)), Board().is_irreversible(Move(4, 12))
        (False, True)
        """
    def gives_check(self, move: Move) -> bool:
        """Whether the other side's king stands in check after the move, played as `apply_move` plays it (the
        move should be pseudo-legal; the board is not changed). Access shared. Raises `ValueError` for a move
        with a square off the board, no piece on its from-square or a promotion letter other than r, n, b, q.

        >>> Board("4k3/8/8/8/8/8/8/R3K3 w - - 0 1").gives_check(Move(0, 56))
        True
        """
    def lan(self, move: Move) -> str:
        """The long algebraic notation of a legal move: as `san` writes it, but the origin square always
        follows the piece letter (none for pawns), and "-" stands between the squares of a move that captures
        nothing: "Ng1-f3", "e4xd5", "e7-e8=Q+", "O-O". Access shared. Raises as `san`, and `ValueError`
        ("broken position: ...") where the legal moves cannot be listed.

        >>> Board().lan(Move(6, 21)), Board().lan(Move(12, 28))
        ('Ng1-f3', 'e2-e4')
        """
    def variation_san(self, moves: Iterable[Move]) -> str:
        """A line of moves in SAN, played one after the other from this position and numbered by the full-move
        number: "1. e4 e5 2. Nf3", or "3...Nf6 4. d3" for a line that starts with Black. `moves` is any iterable
        of `Move`; the board is not changed. Access shared (an iterator may read the board). Raises
        `ValueError` ("illegal move: 'e2e5' in {fen}") for the first move that is not legal where it stands,
        naming that position, and `TypeError` for an item that is not a `Move`.

        >>> Board().variation_san([Move(12, 28), Move(52, 36), Move(6, 21)])
        '1. e4 e5 2. Nf3'
        """
    @classmethod
    def from_fen(cls, fen: str) -> Board:
        """A new board in the position of FEN text read strictly: the constructor for text you did not write (a
        file, a PGN tag, user input). It accepts exactly what python-chess's `chess.Board(fen)` accepts and
        raises `ValueError` naming the fault for anything else, where `Board(fen)` would guess or raise
        `PanicException`:

        - fields separated by any run of white space; one to six of them, the missing ones read as `w`, `-`,
          `-`, `0` and `1` (so an EPD line's first four fields are a position);
        - eight ranks of piece letters and digits 1 to 8, eight squares each ("expected 8 columns per row in
          position part of fen: ..."), a piece optionally followed by the promotion mark `~`;
        - side `w` or `b`; castling `-` or up to two of `KQABCDEFGH` then up to two of `kqabcdefgh`;
          en passant `-` or a square name;
        - clocks read as Python's `int()` reads them (a sign, underscores between digits, digits of any
          script), neither negative nor beyond 2**32-1, the largest a board holds.

        The board's FEN text, which `set_board()`, `copy()` and pickling keep, is the position written out
        plainly, as `to_fen()` writes it: the castling rights that can still be used (king and rook at home;
        `KQkq` in that order, or `-`), the clocks in decimal, a full-move number of at least 1. The stacks are
        empty. A class method; it takes no access to any board.

        >>> Board.from_fen("r3k2r/8/8/8/8/8/8/4K2R w KQkq -").to_fen()
        'r3k2r/8/8/8/8/8/8/4K2R w Kkq - 0 1'
        >>> Board.from_fen("8/8/8/8/8/8/8/8  x")
        Traceback (most recent call last):
            ...
        ValueError: expected 'w' or 'b' for turn part of fen: '8/8/8/8/8/8/8/8  x'
        """
    def set_fen(self, fen: str) -> None:
        """Sets the board up from FEN text read strictly, as `from_fen` reads it, and forgets the moves played:
        both stacks are emptied, and the board's FEN text (what `set_board()` goes back to and pickling keeps)
        becomes the new position's. Raises `ValueError` as `from_fen` does and then leaves the board as it was.
        Access exclusive.

        >>> board = Board()
        >>> _ = board.push_san("e4")
        >>> board.set_fen("4k3/8/8/8/8/8/8/4K3 b")
        >>> board.to_fen(), board.move_stack
        ('4k3/8/8/8/8/8/8/4K3 b - - 0 1', [])
        """
    def set_piece_at(self, square: int, piece: str | None) -> None:
        """Puts the piece of a letter (`PNBRQK` for White, `pnbrqk` for Black) on `square`, replacing whatever
        stood there, or empties the square for `None`. The piece and colour sets stay consistent; the side to
        move, castling rights, en-passant square and clocks stay as they are, and both stacks are emptied, as
        in python-chess. The board's FEN text is kept. Access exclusive. Raises `ValueError` for another letter
        or a square outside 0..63.

        >>> board = Board("4k3/8/8/8/8/8/8/4K3 w - - 0 1")
        >>> board.set_piece_at(0, "R")
        >>> board.to_fen()
        '4k3/8/8/8/8/8/8/R3K3 w - - 0 1'
        """
    def remove_piece_at(self, square: int) -> str | None:
        """Empties `square` and returns the letter of the piece that stood there (what `piece_at` showed), or
        `None`. Both stacks are emptied, as `set_piece_at` does. Access exclusive. Raises `ValueError` for a
        square outside 0..63.

        >>> board = Board()
        >>> board.remove_piece_at(3), board.remove_piece_at(3), board.piece_at(3)
        ('Q', None, None)
        """
    def clear_stack(self) -> None:
        """Forgets the moves played: both stacks are emptied and the position stays. Access exclusive.

        >>> board = Board()
        >>> _ = board.push_san("e4")
        >>> board.clear_stack()
        >>> board.move_stack, board.to_fen().split()[0]
        ([], 'rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR')
        """
    def mirror(self) -> Board:
        """A new board with the position seen from the other side: the ranks mirrored, the colours and the side
        to move swapped, the castling rights that can be used swapped between the sides, the en-passant square
        mirrored, the clocks kept, no moves played. Its FEN text is its own. Access shared.

        >>> Board("r3k3/8/8/8/4P3/8/8/4K2R b Kq e3 0 1").mirror().to_fen()
        '4k2r/8/8/4p3/8/8/8/R3K3 w Qk e6 0 1'
        """
    def status(self) -> int:
        """What keeps the position from being one a game could reach, as python-chess's `Board.status()` flags
        it, with the same bit values (compare with `chess.Status` or `chess.STATUS_*`): 0 when nothing does.
        1 no white king, 2 no black king, 4 more than two kings, 8 and 16 more than eight white or black pawns,
        32 a pawn on the first or last rank, 64 and 128 more than sixteen white or black pieces, 256 castling
        rights that cannot be used (judged, as python-chess does, only while no move has been played), 512 an
        en-passant square no double push could have made, 1024 the side not to move in check, 2048 an empty
        board, 32768 more than two checkers, 65536 a check no last move could have given. A bit of tarvik's
        own, 2**31, flags piece and colour sets that disagree (a square in several piece sets or in both
        colours, or in only one kind of set), which only `set_pieces_or` and `set_pieces_xor` can make. Access
        shared.

        >>> Board().status(), Board("8/8/8/8/8/8/8/8 w KQ - 0 1").status()
        (0, 2307)
        """
    def is_valid(self) -> bool:
        """Whether `status()` finds nothing wrong. Access shared.

        >>> Board().is_valid(), Board("4k3/8/8/8/8/8/8/4K2P w - - 0 1").is_valid()
        (True, False)
        """
    def has_insufficient_material(self, color: bool) -> bool:
        """Whether the side of `color` (`True` for White) cannot mate however the other side plays: it has no
        pawn, rook or queen, and at most a lone knight while the other side has only its king and queens
        (other pieces could block that side's king in), or only bishops while every bishop on the board stands
        on squares of one colour and no side has a pawn or knight. `is_insufficient_material()` asks it of both sides. Read from the sets as they
        stand, broken boards included. Access shared.

        >>> board = Board("8/8/4k3/8/8/2N5/4K3/4q3 w - - 0 1")
        >>> board.has_insufficient_material(True), board.has_insufficient_material(False)
        (True, False)
        """
    def set_board_fen(self, fen: str) -> None:
        """Replaces the pieces with those of a FEN placement field (the first field alone, white space around
        it ignored), read as strictly as `from_fen` reads it; the side to move, castling rights, en-passant
        square and clocks stay, and both stacks are emptied, as in python-chess. Promotion marks `~` are
        accepted and not kept. The board's FEN text is kept. Raises `ValueError` naming the fault ("expected
        position part of fen, got multiple parts: ...", "expected 8 rows in position part of fen: ...") and
        then leaves the board as it was. Access exclusive.

        >>> board = Board()
        >>> board.set_board_fen("4k3/8/8/8/8/8/8/4K2R")
        >>> board.to_fen()
        '4k3/8/8/8/8/8/8/4K2R w KQkq - 0 1'
        """
    def board_fen(self, *, promoted: bool | None = False) -> str:
        """The placement field of the position's FEN: each square as `piece_at` reads it, rank 8 first. The
        board records no promotions, so `promoted` (python-chess's request for `~` after promoted pieces)
        adds nothing. Access shared.

        >>> Board().board_fen()
        'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR'
        """
    def set_castling_fen(self, castling_fen: str) -> None:
        """Replaces the castling rights with those of a FEN castling field as python-chess reads it: `""` or
        `-` for none, else up to two of `KQABCDEFGH` then up to two of `kqabcdefgh`. `K` grants the outermost
        rook right of the side's king on its back rank, `Q` the outermost one left of it, a file letter the rook
        square of that file; without such a rook, or without a king, `K` and `Q` grant the corner, except `Q`
        beside a king with no rook on its back rank, which grants nothing. Rights to a corner are kept and count
        whenever king and rook stand at home (e1 or e8, the corner), also after later edits; rights to other
        squares can never be used and are dropped. Both stacks are emptied, and the board's FEN text becomes
        the current position with these rights (what `set_board()` goes back to). Raises `ValueError`
        ("invalid castling fen: 'KX'") and then leaves the board as it was. Access exclusive.

        >>> board = Board("r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1")
        >>> board.set_castling_fen("Kq")
        >>> board.to_fen(), board.clean_castling_rights() == 1 << 7 | 1 << 56
        ('r3k2r/8/8/8/8/8/8/R3K2R w Kq - 0 1', True)
        """
    def set_piece_map(self, pieces: Mapping[int, str]) -> None:
        """Replaces every piece with those of `pieces`, `{square: letter}` as `piece_map()` returns it (any
        mapping with `items()`); letters as `set_piece_at` takes them. The side to move, castling rights,
        en-passant square and clocks stay, and both stacks are emptied, as in python-chess. The board's FEN
        text is kept. Raises `ValueError` for a square outside 0..63 or another letter, `TypeError` for keys
        that are not integers or values that are not strings, and then leaves the board as it was. Access
        exclusive.

        >>> board = Board()
        >>> board.set_piece_map({60: "k", 4: "K", 0: "R"})
        >>> board.board_fen()
        '4k3/8/8/8/8/8/8/R3K3'
        """
    def clean_castling_rights(self) -> int:
        """The castling rights that can be used, as a bitboard of their rooks' squares (a1, h1, a8 and h8):
        granted by the FEN or `set_castling_fen`, not lost in play, and king and rook at home. python-chess's
        value for standard chess. Access shared.

        >>> Board().clean_castling_rights() == 1 << 0 | 1 << 7 | 1 << 56 | 1 << 63
        True
        """
    def find_move(self, from_square: int, to_square: int, promotion: str | None = None) -> Move:
        """The legal move from `from_square` to `to_square` (0..63), as python-chess finds it: a pawn moving to
        the first or last rank promotes to a queen unless `promotion` (`"q"`, `"r"`, `"b"` or `"n"`) says
        otherwise, and a king on e1 or e8 moved onto its own rook's corner castles (e1h1 finds e1g1). Access
        shared. Raises `ValueError` ("no matching legal move for e2e5 (e2 -> e5) in {fen}") when there is no
        such legal move, also on a broken board that has no legal moves to look in, and for a square outside
        0..63.

        >>> board = Board("4k3/P7/8/8/8/8/8/4K2R w K - 0 1")
        >>> board.find_move(48, 56).uci(), board.find_move(48, 56, "n").uci(), board.find_move(4, 7).uci()
        ('a7a8q', 'a7a8n', 'e1g1')
        """
    def epd(self, *, shredder: bool = False, en_passant: str = "legal", promoted: bool | None = None,
            **operations: object) -> str:
        """The position as EPD, as python-chess writes it: the FEN placement, side to move, castling rights
        that can be used (`K`, `Q`, `k`, `q`, or by file letters only when `shredder`) and en-passant square
        (shown when a legal capture there exists for `"legal"`, when a pawn stands ready to take there for
        `"xfen"`, always for `"fen"`), then one operation per other keyword, in the order given, each ending
        in `;`: `None` writes the opcode alone, a `Move` its SAN, an `int` or finite `float` as Python writes
        it, for `pv` a line of moves played one after the other and for `am` and `bm` a set of moves of the
        position (any iterable of `Move`, the SANs sorted), and anything else `str()` of it in double quotes
        (backslash, quote, tab, carriage return and line feed escaped). `promoted` adds nothing (the board
        records no promotions). The clocks appear only as operations (`hmvc`, `fmvn`). Access shared (an
        iterable of moves may read the board).

        Raises `ValueError` for a move that is not legal where it stands (naming it and the position), an
        opcode that is empty, `-`, does not start with a letter or holds white space, a non-finite float, an
        `en_passant` other than `"legal"`, `"xfen"` or `"fen"`, and on a broken board where moves cannot be
        told; `TypeError` for a `pv`, `am` or `bm` item that is not a `Move`.

        >>> board = Board()
        >>> board.epd(hmvc=board.halfmove_clock, fmvn=board.fullmove_number)
        'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - hmvc 0; fmvn 1;'
        >>> board.epd(bm=Move(12, 28), id="start", ce=0.5, noop=None)
        'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - bm e4; id "start"; ce 0.5; noop;'
        """
    def set_epd(self, epd: str) -> dict[str, Any]:
        """Sets the board up from EPD text and returns its operations as a dict in the order of the text. The
        first four fields are the position, read as strictly as `from_fen` reads a FEN; `hmvc` and `fmvn`, when
        present, set the clocks, which are otherwise 0 and 1; trailing `;` and white space are ignored, and
        text of up to four fields is read as a FEN. Operands read as python-chess reads them: `None` for an
        opcode alone (an empty list for `pv`, `am` and `bm`), a `str` for a quoted string (escapes undone),
        an `int` or `float` for a number (as Python's `int()` or `float()` reads it), else SAN (or UCI) naming a
        legal move of the position: a `Move`, or a list of them for `pv` (a line played one after the other)
        and for `am` and `bm`. A later operation with the same opcode replaces an earlier one. Both stacks are
        emptied and the board's FEN text becomes the new position's, as `set_fen` makes it. Raises `ValueError`
        naming the fault (a bad FEN field, opcode or number, a move that is not legal, a clock that is not one)
        and then leaves the board as it was. Access exclusive.

        >>> board = Board()
        >>> board.set_epd('4k3/8/8/8/8/8/4P3/4K3 w - - bm e4; id "pawn"; hmvc 3;')
        {'bm': [e2e4], 'id': 'pawn', 'hmvc': 3}
        >>> board.to_fen()
        '4k3/8/8/8/8/8/4P3/4K3 w - - 3 1'
        """
    @classmethod
    def from_epd(cls, epd: str) -> tuple[Board, dict[str, Any]]:
        """A new board set up from EPD text, and its operations: `(board, board.set_epd(epd))` for a new
        board. Raises `ValueError` as `set_epd` does. A class method; it takes no access to any board.

        >>> board, operations = Board.from_epd('8/8/8/8/8/8/8/K6k b - - c0 "empty"; acd 12;')
        >>> board.to_fen(), operations
        ('8/8/8/8/8/8/8/K6k b - - 0 1', {'c0': 'empty', 'acd': 12})
        """

@final
class Termination:
    """Why a game ended, as `Outcome.termination` tells it. The reasons are the class's attributes, one object
    each, named and numbered as python-chess's `chess.Termination`; compare them with `is`. `name` and
    `value` give the name and the number, `Termination(value)` finds the object of a number.

    >>> from tarvik import Termination
    >>> Termination.STALEMATE.name, Termination.STALEMATE.value, Termination(2) is Termination.STALEMATE
    ('STALEMATE', 2, True)
    """

    CHECKMATE: Termination
    """1: the side to move is checkmated."""
    STALEMATE: Termination
    """2: the side to move has no legal move and is not in check."""
    INSUFFICIENT_MATERIAL: Termination
    """3: neither side can mate (`Board.is_insufficient_material`)."""
    SEVENTYFIVE_MOVES: Termination
    """4: the seventy-five-move rule (`Board.is_seventyfive_moves`)."""
    FIVEFOLD_REPETITION: Termination
    """5: the position occurred five times (`Board.is_fivefold_repetition`)."""
    FIFTY_MOVES: Termination
    """6: a claimed draw by the fifty-move rule (`Board.can_claim_fifty_moves`)."""
    THREEFOLD_REPETITION: Termination
    """7: a claimed draw by threefold repetition (`Board.can_claim_threefold_repetition`)."""

    def __new__(cls, value: int | Termination) -> Termination:
        """The reason numbered `value` (1..7), or `value` itself when it is a `Termination`. Raises `ValueError`
        ("8 is not a valid Termination") for anything else.

        >>> Termination(1)
        <Termination.CHECKMATE: 1>
        """
    @property
    def name(self) -> str:
        """The reason's name, as the class attribute that holds it.

        >>> Termination.FIFTY_MOVES.name
        'FIFTY_MOVES'
        """
    @property
    def value(self) -> int:
        """The reason's number, python-chess's value for it.

        >>> Termination.FIFTY_MOVES.value
        6
        """
    def __reduce__(self) -> tuple[Any, ...]:
        """Pickle and copy support: a copy or an unpickled reason is the same object.

        >>> import copy, pickle
        >>> pickle.loads(pickle.dumps(Termination.CHECKMATE)) is Termination.CHECKMATE is copy.copy(Termination.CHECKMATE)
        True
        """

@final
class Outcome:
    """How a game ended: the reason and the winner, as `Board.outcome()` returns it and python-chess's
    `chess.Outcome` holds it. Outcomes are immutable and compare and hash by value.

    >>> from tarvik import Outcome, Termination
    >>> Board("7k/6Q1/6K1/8/8/8/8/8 b - - 0 1").outcome() == Outcome(Termination.CHECKMATE, True)
    True
    """

    def __new__(cls, termination: Termination, winner: bool | None) -> Outcome:
        """An outcome of a `Termination` and a winner (`True` White, `False` Black, `None` a draw). Raises
        `TypeError` for other types.

        >>> Outcome(Termination.STALEMATE, None)
        Outcome(termination=<Termination.STALEMATE: 2>, winner=None)
        """
    @property
    def termination(self) -> Termination:
        """Why the game ended.

        >>> Outcome(Termination.STALEMATE, None).termination is Termination.STALEMATE
        True
        """
    @property
    def winner(self) -> bool | None:
        """`True` when White won, `False` when Black won, `None` for a draw.

        >>> Outcome(Termination.CHECKMATE, False).winner
        False
        """
    def result(self) -> str:
        """The result as a PGN writes it: "1-0", "0-1" or "1/2-1/2".

        >>> Outcome(Termination.CHECKMATE, False).result(), Outcome(Termination.STALEMATE, None).result()
        ('0-1', '1/2-1/2')
        """
    def __reduce__(self) -> tuple[Any, ...]:
        """Pickle and copy support: an equal new outcome.

        >>> import pickle
        >>> pickle.loads(pickle.dumps(Outcome(Termination.CHECKMATE, True))) == Outcome(Termination.CHECKMATE, True)
        True
        """

@final
class PgnReader(Iterator[Game]):
    """The iterator `read_pgn()` returns: each step reads the next game. Once exhausted (or when the
    iterator is dropped) it lets go of its source: the file it opened is closed. It cannot be made
    directly. A file object's `read()` that touches the same iterator again raises `RuntimeError`.
    """

    def __next__(self) -> Game:
        """The next game; `StopIteration` when the source holds no more."""

@final
class PgnTable:
    """What `pgn_table()` returns: a stream of Arrow record batches, read once. It offers the Arrow PyCapsule
    interface, so any Arrow consumer takes it directly. It cannot be made directly.
    """

    def __arrow_c_schema__(self) -> object:
        """The table's schema, as a PyCapsule named "arrow_schema" holding an Arrow C `ArrowSchema`."""
    def __arrow_c_stream__(self, requested_schema: object | None = None) -> object:
        """The record batches, as a PyCapsule named "arrow_array_stream" holding an Arrow C
        `ArrowArrayStream`; the reading starts as the consumer asks for batches. `requested_schema` is
        accepted and not followed: the columns come as described. The stream is one-shot: a second call
        raises `ValueError`.
        """

@final
class Game:
    """One game: its tags, its starting position, and the tree of its moves (the mainline and every
    variation) with comments, NAGs, clocks and evaluations. Games come from `read_pgn()`,
    `Game.from_board()` or `Game()`, and are built and annotated as python-chess's are: the game is the
    root of its tree, with the tree methods of `GameNode` (`add_variation`, `add_line`, `variation`,
    `promote_to_main`, `end`, ...) and a settable `comment`. The list and dict attributes are built anew when
    read (changing the list or dict you get changes nothing in the game).

    `str(game)` is the game as PGN with the movetext on one line, as python-chess's `str(game)` writes it;
    `export()` writes it with lines of at most 80 characters.

    >>> game = next(tarvik.read_pgn(b"1. e4 {best by test} e5 2. Nf3 $1 Nc6 *"))
    >>> print(game)
    [Event "?"]
    [Site "?"]
    [Date "????.??.??"]
    [Round "?"]
    [White "?"]
    [Black "?"]
    [Result "*"]
    <BLANKLINE>
    1. e4 { best by test } 1... e5 2. Nf3 $1 Nc6 *
    """

    def __new__(cls, headers: Mapping[str, str] | None = None) -> Game:
        """An empty game from the standard start, with the seven-tag roster (Event "?", ..., Result "*") as
        python-chess's `Game()` has it, then `headers` (a value given for a roster tag replaces its default).
        Raises `ValueError` for a tag name other than letters, digits and `_+#=:-`, or a value with a line break.

        >>> game = Game({"White": "Anna"})
        >>> node = game.add_variation(Move.from_uci("e2e4"), comment="best by test")
        >>> node = node.add_line([Move.from_uci("e7e5"), Move.from_uci("g1f3")], nags=[1])
        >>> print(game.export(headers=False))
        1. e4 { best by test } 1... e5 2. Nf3 $1 *
        """
    @property
    def headers(self) -> Headers:
        r"""The tag pairs, as a live mapping (python-chess's `Headers`): reading it reads the game, changing it
        changes the game. Values have `\"` and `\\` read as the characters they escape; a name given twice
        keeps its last value. Setting `game.headers` to a mapping (or pairs) replaces every tag.

        >>> game = next(tarvik.read_pgn(b'[White "Club \\"A\\""]\n[Event "x"]\n\n1. e4 *'))
        >>> game.headers
        Headers({'Event': 'x', 'White': 'Club "A"'})
        >>> game.headers["Black"] = "Bea"; del game.headers["Event"]; dict(game.headers)
        {'White': 'Club "A"', 'Black': 'Bea'}
        >>> print(game.export(headers=True).split("\n\n")[0])  # a removed roster tag is not written
        [Site "?"]
        [Date "????.??.??"]
        [Round "?"]
        [White "Club \"A\""]
        [Black "Bea"]
        [Result "*"]
        """
    @headers.setter
    def headers(self, value: Mapping[str, str] | Iterable[tuple[str, str]]) -> None: ...
    def header(self, name: str, default: str | None = None) -> str | None:
        r"""The value of one tag (its last, where the file gives the name twice), or `default`:
        `game.headers.get(name, default)` without building the dict, the quick way to filter many games.

        >>> games = tarvik.read_pgn(b'[WhiteElo "2710"]\n\n1. e4 *\n\n1. d4 *', headers_only=True)
        >>> [game.header("WhiteElo", "-") for game in games]
        ['2710', '-']
        """
    @property
    def moves(self) -> list[Move]:
        """The mainline's moves, new `Move` objects, first move first."""
    @property
    def starting_fen(self) -> str:
        """The FEN of the starting position: the `FEN` tag's position (read strictly; a malformed one is an
        error and no move is read), else the standard start."""
    @property
    def result(self) -> str:
        """The movetext's result marker ("1-0", "0-1", "1/2-1/2", "*"), else the `Result` tag, else "*"."""
    @property
    def offset(self) -> int:
        """The byte offset of the game's first byte in its source (0 for a game made by `from_board()`): read
        the game alone again with `read_pgn(source, start=offset, stop=offset + 1)`."""
    @property
    def errors(self) -> list[str]:
        """What went wrong reading the game, empty when it read cleanly: each illegal, ambiguous or unreadable
        move (naming its ply, the token and the position's FEN), an unsupported variant (its moves are not
        read), a malformed FEN tag.

        >>> next(tarvik.read_pgn(b"1. e4 e5 2. Ke3 Nc6 *")).errors
        ["illegal san: 'Ke3' at ply 3 in rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2"]
        """
    @property
    def comment(self) -> str:
        """The comment before the first move ("" when there is none); settable."""
    @comment.setter
    def comment(self, value: str) -> None: ...
    @property
    def comments(self) -> list[str]:
        """The comment after each move of the mainline ("" where there is none); comments written one after
        the other are joined by a space."""
    @property
    def nags(self) -> list[set[int]]:
        """The NAGs of each move of the mainline; "!" is 1, "?" 2, "!!" 3, "??" 4, "!?" 5, "?!" 6."""
    @property
    def clocks(self) -> list[float | None]:
        """The clock after each move of the mainline, in seconds, from its comment's `[%clk h:mm:ss]`.

        >>> next(tarvik.read_pgn(b"1. e4 { [%clk 0:03:00] } e5 { [%clk 0:02:58.5] } *")).clocks
        [180.0, 178.5]
        """
    @property
    def evals(self) -> list[int | None]:
        """The engine evaluation after each move of the mainline, in centipawns from White's point of view,
        from its comment's `[%eval 0.24]`; None where there is none or the evaluation is a mate (see `mates`).

        >>> game = next(tarvik.read_pgn(b"1. e4 { [%eval 0.24] } e5 { [%eval #-3] } *"))
        >>> game.evals, game.mates
        ([24, None], [None, -3])
        """
    @property
    def mates(self) -> list[int | None]:
        """The mate distance after each move of the mainline from its comment's `[%eval #3]`: moves to mate,
        negative when Black mates."""
    @property
    def variations(self) -> list[GameNode]:
        """The first moves: the mainline's first, then its alternatives."""
    def board(self) -> Board:
        """A `Board` after the mainline with every move on its stacks, so `pop()` walks back (python-chess's
        `game.board()` is the start: that is `Board(game.starting_fen)` here, and this is its
        `game.end().board()`).

        >>> board = next(tarvik.read_pgn(b"1. e4 e5 *")).board()
        >>> board.pop().uci(), board.pop().uci()
        ('e7e5', 'e2e4')
        """
    def mainline(self) -> list[GameNode]:
        """The mainline's nodes, first move first."""
    def export(self, *, columns: int | None = 80, headers: bool = True, comments: bool = True,
               variations: bool = True) -> str:
        r"""The game as PGN text, as python-chess's `StringExporter` writes it: the seven-tag roster first
        (`?` and `*` where the game has none), then the other tags, a blank line, and the movetext with move
        numbers, NAGs as `$n`, comments, variations and the result, in lines of at most `columns`
        characters where a token fits (None: one line). `headers`, `comments` (with NAGs) and `variations`
        leave those out when False. Tag values are written with `"` and `\` escaped.
        """
    @classmethod
    def from_board(cls, board: Board, headers: Mapping[str, str] | None = None) -> Game:
        """A game of a board's moves: the position before its first move (the board's position when it played
        none) is the start, its move stack the mainline. The tags are `headers`, then `FEN` and `SetUp` for a
        start other than the standard one, then `Result` (the board's result: "1-0", "0-1" or "1/2-1/2" when
        the game has ended by the rules, else "*") unless `headers` give it. Raises `ValueError` for a move of
        the stack that is not legal where it was played, for a tag name other than letters, digits and
        `_+#=:-`, or a value with a line break.

        >>> board = Board()
        >>> for san in ["f3", "e5", "g4", "Qh4"]:
        ...     _ = board.push_san(san)
        >>> print(Game.from_board(board, {"White": "Anna"}).export(headers=False))
        1. f3 e5 2. g4 Qh4# 0-1
        """
    def ply(self) -> int:
        """The ply of the start: 0 for the standard start, more for a FEN's later move number."""
    def turn(self) -> bool:
        """The side to move at the start: `True` for White."""
    def next(self) -> GameNode | None:
        """The mainline's first move, or None for a game without moves."""
    def end(self) -> GameNode | Game:
        """The mainline's last node (the game itself when it has no moves)."""
    def is_end(self) -> bool:
        """Whether the game has no moves."""
    def variation(self, move: Move | GameNode | int) -> GameNode:
        """A first move, as `GameNode.variation` finds a child."""
    def has_variation(self, move: Move | GameNode | int) -> bool:
        """Whether `variation(move)` finds a first move."""
    def add_variation(self, move: Move, *, comment: str = "", starting_comment: str = "",
                      nags: Iterable[int] = ()) -> GameNode:
        """Adds a first move after the others, as `GameNode.add_variation` adds a child."""
    def add_main_variation(self, move: Move, *, comment: str = "", nags: Iterable[int] = ()) -> GameNode:
        """Adds a first move before the others, as `GameNode.add_main_variation` does."""
    def add_line(self, moves: Iterable[Move], *, comment: str = "", starting_comment: str = "",
                 nags: Iterable[int] = ()) -> GameNode | Game:
        """Adds a line of moves from the start, as `GameNode.add_line` does."""
    def promote_to_main(self, move: Move | GameNode | int) -> None:
        """Makes a first move the mainline's, as `GameNode.promote_to_main` does."""
    def promote(self, move: Move | GameNode | int) -> None:
        """Moves a first move one place up, as `GameNode.promote` does."""
    def demote(self, move: Move | GameNode | int) -> None:
        """Moves a first move one place down, as `GameNode.demote` does."""
    def remove_variation(self, move: Move | GameNode | int) -> None:
        """Removes a first move and its line, as `GameNode.remove_variation` does."""
    def __reduce__(self) -> tuple[Any, ...]:
        """Pickle and copy support: a new game equal in everything (tags, start, tree, texts, errors, offset).

        >>> import copy, pickle
        >>> game = next(tarvik.read_pgn(b"1. e4 { [%clk 0:03:00] } ( 1. d4 ) 1... e5 2. Qh5 Ke7 *"))
        >>> str(pickle.loads(pickle.dumps(game))) == str(game) == str(copy.deepcopy(game))
        True
        """
    def __setstate__(self, state: tuple[Board, bytes]) -> None:
        """Pickle support: takes the state `__reduce__` gave. Raises `ValueError` ("invalid Game state") for
        any other."""
    def clock(self) -> float | None:
        """The clock of the comment before the first move, as `GameNode.clock` reads it."""
    def set_clock(self, seconds: float | None) -> None:
        """Writes the clock into the comment before the first move, as `GameNode.set_clock` does."""
    def eval(self) -> Score | None:
        """The evaluation of the comment before the first move, for the side to move at the start."""
    def eval_depth(self) -> int | None:
        """The depth of that evaluation."""
    def set_eval(self, score: Score | None, depth: int | None = None) -> None:
        """Writes the evaluation into the comment before the first move, as `GameNode.set_eval` does."""
    def arrows(self) -> list[Arrow]:
        """The arrows of the comment before the first move."""
    def set_arrows(self, arrows: Iterable[Arrow | tuple[int, int]]) -> None:
        """Writes the arrows into the comment before the first move, as `GameNode.set_arrows` does."""

@final
class Headers:
    """A game's tag pairs as a live mutable mapping of str to str, as python-chess's `Headers` is: the
    names of the seven-tag roster come first (those the game has) in roster order, then the others in the
    order they were first given. Setting a name the game has keeps its place; a new one comes last. A game
    read from a file holds the tags the file gives; its export writes the roster's defaults ("?", "*") for the
    ones it lacks, as python-chess fills them in when it reads, except those you removed. A name
    other than letters, digits and `_+#=:-`, or a value with a line break, raises `ValueError` (PGN could not
    hold it). `keys()`, `values()`, `items()` and `copy()` give a snapshot (a dict's views, a dict). It is a
    `collections.abc.MutableMapping` to `isinstance()`; it cannot be made directly (`Game.headers` gives it).
    """

    def keys(self) -> Any:
        """The names, as a snapshot."""
    def values(self) -> Any:
        """The values, as a snapshot."""
    def items(self) -> Any:
        """The (name, value) pairs, as a snapshot."""
    def get(self, name: str, default: Any = None, /) -> Any:
        """The value of a name, or `default`."""
    def pop(self, name: str, default: Any = ..., /) -> Any:
        """Removes a name and returns its value; `default` (else `KeyError`) when the game has none."""
    def setdefault(self, name: str, default: str, /) -> str:
        """The value of a name, set to `default` first when the game has none."""
    def update(self, other: Any = (), /, **tags: str) -> None:
        """Sets each (name, value) of a mapping or of an iterable of pairs, then each keyword."""
    def clear(self) -> None:
        """Removes every tag."""
    def copy(self) -> dict[str, str]:
        """The tags as a new dict."""

@final
class GameNode:
    """One move of a game's tree, with what the file says about it, to read and to change as python-chess's
    `GameNode` is changed. A node keeps its game alive; nodes are made anew whenever they are asked for and
    compare equal when they stand for the same node of the same game. A move added anywhere is checked legal
    in its position (`ValueError` otherwise). The tree methods name a child by its `Move` (the first child
    playing the same squares and promotion), by the `GameNode` itself, or by its index among the children;
    `KeyError` (or `IndexError`) when none is found.

    >>> game = next(tarvik.read_pgn(b"1. e4 ( 1. d4 d5 ) 1... e5 *"))
    >>> [node.san for node in game.variations], game.variations[1].variations[0].san
    (['e4', 'd4'], 'd5')
    >>> game.promote_to_main(Move.from_uci("d2d4"))
    >>> game.variations[0].add_line([Move.from_uci("c7c5")]).set_eval(tarvik.Score(True, cp=35), 20)
    >>> print(game.export(headers=False))
    1. d4 ( 1. e4 e5 ) 1... d5 ( 1... c5 { [%eval 0.35,20] } ) *
    """

    @property
    def move(self) -> Move:
        """The move leading to this node."""
    @property
    def san(self) -> str:
        """The move in Standard Algebraic Notation, as `Board.san` writes it."""
    @property
    def comment(self) -> str:
        """The comment after the move; settable."""
    @comment.setter
    def comment(self, value: str) -> None: ...
    @property
    def starting_comment(self) -> str:
        """The comment before the move, where a variation starts; settable."""
    @starting_comment.setter
    def starting_comment(self, value: str) -> None: ...
    @property
    def nags(self) -> frozenset[int]:
        """The move's NAGs. Set it to an iterable of integers to change them (the frozenset you get cannot
        change, so `node.nags.add(1)` fails rather than doing nothing): `node.nags = node.nags | {1}`."""
    @nags.setter
    def nags(self, value: Iterable[int]) -> None: ...
    @property
    def mate(self) -> int | None:
        """The mate distance from the comment's `[%eval #n]`, negative when Black mates."""
    @property
    def variations(self) -> list[GameNode]:
        """The moves that follow: the main continuation first, then its alternatives."""
    @property
    def parent(self) -> GameNode | Game:
        """The node before this one, or the game for a first move. A removed line keeps its parent."""
    def board(self) -> Board:
        """A `Board` after this node's move with every move leading here on its stacks."""
    def ply(self) -> int:
        """The number of half-moves played from the standard start to this node (so a game from a FEN starts
        counting at the FEN's move number)."""
    def turn(self) -> bool:
        """The side to move after this node's move: `True` for White."""
    def game(self) -> Game:
        """The game the node belongs to."""
    def next(self) -> GameNode | None:
        """The main continuation, or None at the end of a line."""
    def end(self) -> GameNode:
        """The last node of the line that follows the main continuations from here."""
    def is_end(self) -> bool:
        """Whether no move follows."""
    def is_mainline(self) -> bool:
        """Whether the node is on the game's mainline: it and every node before it is its parent's first child."""
    def starts_variation(self) -> bool:
        """Whether the node starts a variation: it is a child of its parent but not the first."""
    def variation(self, move: Move | GameNode | int) -> GameNode:
        """The child named by `move` (a `Move`, a `GameNode` or an index); `KeyError` or `IndexError` when
        there is none."""
    def has_variation(self, move: Move | GameNode | int) -> bool:
        """Whether `variation(move)` finds a child."""
    def add_variation(self, move: Move, *, comment: str = "", starting_comment: str = "",
                      nags: Iterable[int] = ()) -> GameNode:
        """Adds a child playing `move` after the other children and returns it. Raises `ValueError` when the
        move is not legal here ("illegal move: 'e2e5' in {fen}"), also on a broken position."""
    def add_main_variation(self, move: Move, *, comment: str = "", nags: Iterable[int] = ()) -> GameNode:
        """Adds a child playing `move` as the main continuation (before the other children) and returns it."""
    def add_line(self, moves: Iterable[Move], *, comment: str = "", starting_comment: str = "",
                 nags: Iterable[int] = ()) -> GameNode:
        """Adds the moves one after the other, the first as the last child here, and returns the last node
        (this node when `moves` is empty). `starting_comment` goes to the first, `comment` (after a space,
        where there is one already) and `nags` to the last, as python-chess's `add_line` puts them. Every
        move is checked before any is added: an illegal one raises `ValueError` and adds nothing."""
    def promote_to_main(self, move: Move | GameNode | int) -> None:
        """Makes the child named by `move` the main continuation."""
    def promote(self, move: Move | GameNode | int) -> None:
        """Moves the child named by `move` one place up among the children."""
    def demote(self, move: Move | GameNode | int) -> None:
        """Moves the child named by `move` one place down among the children."""
    def remove_variation(self, move: Move | GameNode | int) -> None:
        """Removes the child named by `move`, and the moves after it, from the tree."""
    def clock(self) -> float | None:
        """The clock after the move, in seconds, from the comment's first well-formed `[%clk h:mm:ss]`, as
        python-chess reads it; None for none."""
    def set_clock(self, seconds: float | None) -> None:
        """Writes `[%clk h:mm:ss]` into the comment, replacing the first well-formed one or added at its end,
        as python-chess's `set_clock` writes it (negative seconds as 0); None removes it. Raises `ValueError`
        for an infinite or NaN number of seconds.

        >>> node = Game().add_variation(Move.from_uci("e2e4"), comment="book")
        >>> node.set_clock(179.5); node.comment
        'book [%clk 0:02:59.5]'
        """
    def eval(self) -> Score | None:
        """The evaluation after the move from the comment's first well-formed `[%eval ...]` (`[%eval 0.24]`
        in pawns and `[%eval #-3]` in moves to mate, both from White's side), as a `Score` from the point of
        view of the side to move after it, as python-chess reads it; None for none. `[%eval #0]` is the side
        to move being mated.

        >>> node = next(tarvik.read_pgn(b"1. e4 { [%eval 0.24,18] } *")).variations[0]
        >>> node.eval(), node.eval().white().score(), node.eval_depth()
        (Score(False, cp=-24), 24, 18)
        """
    def eval_depth(self) -> int | None:
        """The depth of the comment's `[%eval 0.24,18]`, None when it gives none."""
    def set_eval(self, score: Score | None, depth: int | None = None) -> None:
        """Writes the score as `[%eval 0.24]` (pawns from White's side, two decimals) or `[%eval #-3]`, with
        `,depth` when given, replacing the first well-formed one or added at the comment's end, as
        python-chess's `set_eval` writes it; None, and a mate in 0, which the command cannot say, remove it."""
    def arrows(self) -> list[Arrow]:
        """The arrows and marked squares of the comment's well-formed `[%cal ...]` and `[%csl ...]` commands,
        in order, as python-chess reads them."""
    def set_arrows(self, arrows: Iterable[Arrow | tuple[int, int]]) -> None:
        """Replaces the comment's arrow commands with `[%csl ...]` for the marked squares (tail equal to
        head) and `[%cal ...]` for the arrows, at the comment's start, as python-chess's `set_arrows` writes
        them; a `(tail, head)` pair is a green arrow.

        >>> node = Game().add_variation(Move.from_uci("e2e4"), comment="[%cal Rd1h5] threat")
        >>> node.set_arrows([tarvik.Arrow(28, 28, color="red"), (6, 21)]); node.comment
        '[%csl Re4][%cal Gg1f3] threat'
        """

@final
class Arrow:
    """An arrow drawn on the board from `tail` to `head`, or a marked square when they are one, as the
    `[%cal ...]` and `[%csl ...]` comment commands carry them and python-chess's `chess.svg.Arrow` holds
    them. Arrows are immutable and compare and hash by value.

    >>> from tarvik import Arrow
    >>> Arrow.from_pgn("Ye2e4"), Arrow(12, 28).pgn()
    (Arrow(E2, E4, color='yellow'), 'Ge2e4')
    """

    def __new__(cls, tail: int, head: int, *, color: str = "green") -> Arrow:
        """An arrow of two squares; `color` is "green", "red", "yellow" or "blue" (the colours the commands
        can write; `ValueError` for another)."""
    @property
    def tail(self) -> int:
        """The square the arrow starts from."""
    @property
    def head(self) -> int:
        """The square the arrow points to."""
    @property
    def color(self) -> str:
        """"green", "red", "yellow" or "blue"."""
    def pgn(self) -> str:
        """The arrow as the commands write it: a colour letter and one square or two ("Ge2e4", "Rd5")."""
    @classmethod
    def from_pgn(cls, pgn: str) -> Arrow:
        """The arrow of a command's text ("Ge2e4", "Rd5"; green when the colour letter is left out).
        Raises `ValueError` for other text."""
    def __reduce__(self) -> tuple[Any, ...]:
        """Pickle and copy support: an equal new arrow."""

@final
class Score:
    """An engine's evaluation of a position from one side's point of view, as python-chess's `PovScore`
    holds it, with its `Cp`/`Mate` meaning folded in: centipawns, or moves to mate. Mate in 0 is the side
    whose view it is being mated; seen from the other side it is "mate given", the best score there is.
    `GameNode.eval()` returns scores. Scores are immutable; they are equal when White sees them alike, and
    scores of one point of view order from being mated, through centipawns, to mating.

    >>> from tarvik import Score
    >>> score = Score(False, cp=-35)  # Black to move, Black is 0.35 pawns behind
    >>> score.white(), score.white().score(), score.is_mate()
    (Score(True, cp=35), 35, False)
    >>> Score(True, mate=-2) < Score(True, cp=-900) < Score(True, cp=120) < Score(True, mate=3) < Score(True, mate=1)
    True
    """

    def __new__(cls, turn: bool, cp: int | None = None, mate: int | None = None) -> Score:
        """The score `cp` (centipawns) or `mate` (moves to mate, negative when `turn`'s side is being mated, 0
        when it is mated) from `turn`'s point of view (`True` for White). Exactly one of `cp` and `mate` is
        given, else `TypeError`.
        """
    @property
    def turn(self) -> bool:
        """Whose point of view: `True` for White."""
    @property
    def relative(self) -> Score:
        """The score from its own side's point of view: the score itself (python-chess keeps it apart from
        `turn`; here the score carries both).
        """
    def white(self) -> Score:
        """The score from White's point of view."""
    def black(self) -> Score:
        """The score from Black's point of view."""
    def pov(self, color: bool) -> Score:
        """The score from `color`'s point of view.

        >>> Score(True, mate=0).pov(False)  # White is mated: Black has given mate
        Score(True, mate=0).pov(False)
        >>> Score(True, mate=0).pov(False).mate(), Score(True, mate=0).pov(False).score(mate_score=10000)
        (0, 10000)
        """
    def is_mate(self) -> bool:
        """Whether the score is a mate."""
    def score(self, *, mate_score: int | None = None) -> int | None:
        """The centipawns; for a mate None, or with `mate_score` given, `mate_score` less the moves to mate
        (negated when being mated), as python-chess converts it.

        >>> Score(True, mate=3).score(), Score(True, mate=3).score(mate_score=100000)
        (None, 99997)
        """
    def mate(self) -> int | None:
        """The moves to mate (negative when being mated, 0 for mate given and for being mated), None for
        centipawns."""
    def __reduce__(self) -> tuple[Any, ...]:
        """Pickle and copy support: an equal new score of the same point of view."""

@final
class BookReader:
    """A Polyglot opening book opened by `open_book`: the whole file, held in memory until `close()`. The
    probes find a position's entries by binary search over the keys, in the order the file stores them, and
    are the same as python-chess's `chess.polyglot` reader's. The `board` of a probe is a `Board`, whose
    `zobrist_hash()` is looked up and which judges the moves (only legal ones are returned, castling stored as
    the king taking its own rook is the king's move), or an `int` key, whose entries come with their moves as
    stored. `exclude_moves` leaves out entries whose move has the same squares and promotion letter as one of
    the given `Move`s (moves themselves compare by identity). All probes take shared access.

    `len(book)` is the number of entries and `book[i]` (or iterating) gives them in file order, moves as
    stored. A closed book raises `ValueError` ("I/O operation on a closed book") everywhere but `close()`.
    A broken board whose legal moves cannot be listed raises `ValueError`. The class cannot be instantiated
    directly.

    >>> book = tarvik.open_book(path)
    >>> len(book), book[0].move.uci(), [entry.weight for entry in book]
    (2, 'e2e4', [3, 1])
    >>> book.close()
    >>> len(book)
    Traceback (most recent call last):
        ...
    ValueError: I/O operation on a closed book
    """

    def find_all(self, board: Board | int, *, minimum_weight: int = 1,
                 exclude_moves: Iterable[Move] = ()) -> list[BookEntry]:
        """The entries for `board` whose weight is at least `minimum_weight` (so by default not those of
        weight 0, a common way of deleting entries), leaving out `exclude_moves`, in file order.

        >>> with tarvik.open_book(path) as book:
        ...     first = book.find_all(Board())[0]
        ...     [entry.move.uci() for entry in book.find_all(Board(), exclude_moves=[first.move])]
        ['d2d4']
        """
    def find(self, board: Board | int, *, minimum_weight: int = 1, exclude_moves: Iterable[Move] = ()) -> BookEntry:
        """The main entry for `board`: the first of those `find_all` gives with the highest weight. Raises
        `IndexError` when there is none.

        >>> with tarvik.open_book(path) as book:
        ...     book.find(Board()).move.uci()
        'e2e4'
        """
    def get(self, board: Board | int, default: Any = None, *, minimum_weight: int = 1,
            exclude_moves: Iterable[Move] = ()) -> Any:
        """`find(board)`, or `default` when there is no entry.

        >>> with tarvik.open_book(path) as book:
        ...     book.get(Board("4k3/8/8/8/8/8/8/4K3 w - - 0 1"), "out of book")
        'out of book'
        """
    def choice(self, board: Board | int, *, minimum_weight: int = 1, exclude_moves: Iterable[Move] = (),
               random: _random.Random | None = None) -> BookEntry:
        """One of the entries `find_all` gives, each as likely as the others, drawn with `random.randint` of
        the given `random.Random` (or of the `random` module): the same draws as python-chess's reader makes,
        so the same state picks the same entry. Raises `IndexError` when there is none.

        >>> import random
        >>> with tarvik.open_book(path) as book:
        ...     book.choice(Board(), random=random.Random(1)).move.uci()
        'e2e4'
        """
    def weighted_choice(self, board: Board | int, *, exclude_moves: Iterable[Move] = (),
                        random: _random.Random | None = None) -> BookEntry:
        """One of the entries `find_all` gives, drawn in proportion to their weights with one
        `randint(0, total - 1)` of the given `random.Random` (or of the `random` module), as python-chess's
        reader draws. Raises `IndexError` when there is none.

        >>> import random
        >>> with tarvik.open_book(path) as book:
        ...     [book.weighted_choice(Board(), random=random.Random(seed)).move.uci() for seed in range(4)]
        ['d2d4', 'e2e4', 'e2e4', 'e2e4']
        """
    def close(self) -> None:
        """Lets go of the book's memory; probes then raise `ValueError`. Closing again does nothing. Access
        exclusive.

        >>> book = tarvik.open_book(path)
        >>> book.close(); book.close()
        """
    def __enter__(self) -> Self:
        """The reader itself, for `with`; raises `ValueError` when it is closed."""
    def __exit__(self, exc_type: object, exc_value: object, traceback: object) -> None:
        """Closes the reader at the end of the `with` block."""
    def __len__(self) -> int:
        """The number of entries in the book."""
    def __getitem__(self, index: int, /) -> BookEntry:
        """Entry `index` of the file (negative counts from the end), its move as stored. Raises `IndexError`
        out of range, and `ValueError` for a move whose promotion code names no piece."""
    def __iter__(self) -> Iterator[BookEntry]:
        """The entries in file order."""

@final
class BookEntry:
    """One entry of an opening book, as a `BookReader` gives it out: read-only, comparing and hashing equal
    to entries with the same fields. Entries pickle and copy, and are made from their five fields as
    python-chess's `Entry` is.

    >>> with tarvik.open_book(path) as book:
    ...     entry = book.find(Board())
    >>> entry
    BookEntry(key=5060803636482931868, raw_move=796, weight=3, learn=0, move=e2e4)
    """

    def __new__(cls, key: int, raw_move: int, weight: int, learn: int, move: Move) -> BookEntry:
        """An entry of the five fields, as python-chess's `Entry(key, raw_move, weight, learn, move)`. Raises
        `OverflowError` for a field beyond its width (64, 16, 16 and 32 bits).
        """
    @property
    def key(self) -> int:
        """The Polyglot key of the position (`Board.zobrist_hash()`)."""
    @property
    def raw_move(self) -> int:
        """The move's 16 bits as stored: to-square in bits 0-5, from-square in bits 6-11, promotion piece in
        bits 12-14 (1 knight, 2 bishop, 3 rook, 4 queen)."""
    @property
    def weight(self) -> int:
        """How often the move should be played relative to the position's other entries, 0..65535."""
    @property
    def learn(self) -> int:
        """A 32-bit value some book tools use to store results; most books leave it 0."""
    @property
    def move(self) -> Move:
        """The move, a new `Move` on each read: for a probe with a board, as played on that board (castling as
        the king's move, so `e1g1` for a stored `e1h1`); otherwise as stored. Promotions carry the letter `n`,
        `b`, `r` or `q`."""
    def __reduce__(self) -> tuple[Any, ...]:
        """Pickle and copy support: an equal new entry."""
