"""A fast chess position library: boards from FEN, move generation, legality, notation and game end.

A Board holds one game: the position as bitboards (one 64-bit set of squares per piece type and
per colour, square 0 = a1, 7 = h1, 56 = a8, 63 = h8), the side to move, castling rights, the
en-passant square, both clocks, and two stacks that let moves be taken back.

Errors a caller can receive: TypeError, ValueError, OverflowError, UnicodeEncodeError for bad
arguments; RuntimeError ("Already borrowed", "Already mutably borrowed") when Python code run
during an argument conversion touches the same object; and pyo3_runtime.PanicException when an
internal check of the engine fails. PanicException derives from BaseException, not Exception,
so `except Exception` does not catch it.

Lenient means: the raw piece-set methods (set_pieces_or, set_pieces_xor) can put a square in
several sets, in both colours or in none, give a side two kings or none. Every method then works
on the sets as they stand: it answers, or raises PanicException where a generator cannot go on
(a side to move without a king, an en-passant square off the board, a move that would capture a
king), or ValueError where text names no legal move.
"""

from typing import Any, final

__all__ = ["Board", "Move", "hello_world"]

def hello_world() -> None:
    """Write "Hello World!" and a newline to the process's standard output (not sys.stdout)."""

@final
class Move:
    """A move from one square to another with an optional promotion letter.

    Squares are numbered 0..63 (a1 = 0, h8 = 63); any value below 2**32 is stored, and squares
    off the board still get a name (64 is a9). Moves compare and hash by identity: two moves
    with equal fields are different objects, so use Board.is_legal or compare uci() texts.
    Moves a board returns are copies; changing them changes nothing on the board.
    """

    from_square: int
    """The square the piece leaves. Assigning converts like the constructor; deleting raises AttributeError."""
    to_square: int
    """The square the piece arrives on."""
    promotion: str | None
    """The promotion letter as stored ("q", "r", "b" or "n" from the generators), or None."""

    def __new__(cls, from_square: int, to_square: int, promotion: str | None = None) -> Move:
        """Raises OverflowError for a square outside 0..2**32-1, TypeError for a non-integer square
        or a promotion that is not a str, ValueError for a promotion of another length than one."""
    def uci(self) -> str:
        """The move in UCI notation: both square names and the promotion letter as stored ("e7e8q")."""
    @classmethod
    def from_uci(cls, uci: str) -> Move:
        """The move UCI text names: two squares a1..h8 and an optional promotion letter q, r, b or n.

        Raises ValueError for any other text. The move need not be legal anywhere.
        """
    def __reduce__(self) -> tuple[Any, ...]:
        """Pickle and copy support: a new, equal-fielded Move."""

@final
class Board:
    """One game: a position, the FEN text it was made from, and the moves played since.

    Board() is the standard starting position; Board(fen) reads FEN text leniently: only the
    number of fields (six), the squares the placement reaches and the piece letters can fail
    (PanicException). str(board) and repr(board) draw the position, rank 8 first.
    """

    turn: bool
    """True when White is to move. Assigning takes a bool (or a numpy bool) and changes nothing
    else; other types raise TypeError, deleting raises AttributeError."""

    def __new__(cls, starting_fen: str | None = None) -> Board:
        """Build a board from FEN text (the standard start when None).

        Raises TypeError for a non-str, PanicException for fewer than six space-separated fields,
        a placement past the board's edge or a character that is no piece letter.
        """
    def set_board(self) -> None:
        """Put the board back in the position of its own FEN text; both stacks stay as they are."""
    def get_pieces(self, piece_type: str) -> int:
        """The set of squares of one piece type, both colours, as a 64-bit int.

        piece_type is p, r, n, b, q or k (either case), w for White's pieces or a for all pieces.
        Raises PanicException "Invalid piece type: x" for other letters.
        """
    def set_pieces_or(self, piece_type: str, bitboard: int) -> None:
        """Add the squares of bitboard to a piece type's set and to the colour of the letter's case.

        Nothing is checked: this is how broken positions are made. Raises PanicException
        "Invalid piece type" for letters other than PRNBQK and prnbqk.
        """
    def set_pieces_xor(self, piece_type: str, bitboard: int) -> None:
        """Toggle the squares of bitboard in a piece type's set only; the colour sets stay."""
    def pawn_moves(self) -> list[Move]:
        """The pawn moves of the side to move, pseudo-legal (the king's safety is not asked).

        In order: single pushes (promotions as q, r, n, b), double pushes, captures, en passant;
        each group by target square, highest first. Raises PanicException when the en-passant
        square lies off the board.
        """
    def knight_moves(self) -> list[Move]:
        """The knight moves of the side to move, pseudo-legal; origins and targets highest first."""
    def king_moves(self) -> list[Move]:
        """The one-step moves of the side to move's highest king (no castling), pseudo-legal.

        Raises PanicException when the side to move has no king.
        """
    def bishop_moves(self) -> list[Move]:
        """The bishop moves of the side to move, pseudo-legal: per origin, rays up-right, up-left,
        down-right, down-left, each nearest square first."""
    def rook_moves(self) -> list[Move]:
        """The rook moves of the side to move, pseudo-legal: rays up, right, left, down."""
    def queen_moves(self) -> list[Move]:
        """The queen moves of the side to move, pseudo-legal, in the eight king directions."""
    def pseudo_legal_moves(self) -> list[Move]:
        """Pawn, knight, king, bishop, rook and queen moves joined in that order; no castling.

        Raises PanicException as pawn_moves and king_moves do.
        """
    def _is_attacked(self, square: int) -> bool:
        """Whether the side not to move has a pseudo-legal move onto square (0..255).

        Squares off the board are never reached; values above 255 raise OverflowError. Raises
        PanicException when the other side's moves cannot be generated.
        """
    def is_check(self) -> bool:
        """Whether the side to move's highest king stands on a square the other side reaches.

        False when the side to move has no king; PanicException when the other side has none.
        """
    def _castling_moves(self) -> list[Move]:
        """The castling moves allowed now, in the order of the rights text: rights held, king and
        rook at home, the squares between empty and the king's path not attacked."""
    def legal_moves(self) -> list[Move]:
        """The moves the side to move may play: castling moves first, then every pseudo-legal move
        that leaves its king unattacked, in generation order. The order is fixed, so the same
        position always gives the same list.

        Raises PanicException when moves cannot be generated (no king, an en-passant square off
        the board) or when a move could capture the other side's king. The board is unchanged.
        """
    def _reset_half_move_clock(self, from_mask: int, to_mask: int) -> bool:
        """Whether a move between these squares resets the half-move clock: a pawn of the side to
        move on a from-square, or a piece of the other side on a to-square."""
    def _check_castling_rights(self) -> bool:
        """Whether the side to move still holds one of its castling letters (K or Q, k or q)."""
    def _remove_castling_rights(self, id: str) -> None:
        """Remove castling rights: "a" all of them, "k" or "q" the side to move's wing.

        Raises PanicException "Invalid castling rights" for other letters, and for "k" or "q"
        when the rights are absent.
        """
    def apply_move(self, mov: Move) -> None:
        """Play any move, legal or not, and hand the turn over; pop() takes it back.

        The move is pushed on the stacks first, so pop() works also after a failure. Raises
        PanicException for a square off the board, no piece on the from-square, or a promotion
        letter other than b, n, q, r.
        """
    def is_checkmate(self) -> bool:
        """Whether the side to move is in check and has no legal move."""
    def is_stalemate(self) -> bool:
        """Whether the side to move is not in check and has no legal move."""
    def is_game_over(self) -> bool:
        """Checkmate or stalemate; the draw rules are separate methods."""
    def _restore(self, board_state: Any) -> None:
        """Write a position snapshot into the board; no method returns one, so Python never has one."""
    def pop(self) -> Move:
        """Take the newest move back and return it.

        Raises PanicException "called `Option::unwrap()` on a `None` value" when no move is left.
        """
    def to_fen(self) -> str:
        """The current position as FEN text.

        The en-passant square is written after every double pawn push; castling rights are "-"
        when none are left. On a broken board each square shows what str(board) shows.
        """
    def copy(self) -> Board:
        """An independent board with the same FEN text, position and both stacks."""
    def is_legal(self, move: Move) -> bool:
        """Whether a move with the same three fields is among legal_moves().

        Raises PanicException where legal_moves() does.
        """
    def push_uci(self, uci: str) -> Move:
        """Play the legal move UCI text names and return it.

        Raises ValueError ("invalid uci", "illegal uci") naming the text and the FEN; the board
        is then unchanged.
        """
    def san(self, move: Move) -> str:
        """The Standard Algebraic Notation of a legal move, with "+" or "#".

        Raises ValueError ("illegal move") for a move that is not legal here.
        """
    def parse_san(self, san: str) -> Move:
        """The legal move SAN text names, not played.

        Accepts what san() writes, also without check marks, "0-0" and "0-0-0", promotions
        without "=", and a trailing "!", "?", "!!", "??", "!?" or "?!". Raises ValueError
        ("invalid san", "illegal san", "ambiguous san") naming the text and the FEN.
        """
    def push_san(self, san: str) -> Move:
        """Play the legal move SAN text names and return it; ValueError as parse_san, board unchanged."""
    def zobrist_hash(self) -> int:
        """The Polyglot key of the position (0x463B96181691FC9C for the starting position)."""
    def is_repetition(self, count: int = 3) -> bool:
        """Whether the position has occurred count times since the last irreversible move.

        A capture, a pawn move or a move that gives up castling rights is irreversible. Raises
        PanicException where legal_moves() does.
        """
    def is_fifty_moves(self) -> bool:
        """Half-move clock at least 100 and a legal move to play (a mate on the 100th comes first)."""
    def is_seventyfive_moves(self) -> bool:
        """Half-move clock at least 150 and a legal move to play."""
    def is_fivefold_repetition(self) -> bool:
        """is_repetition(5)."""
    def is_insufficient_material(self) -> bool:
        """Whether neither side has the material to mate, even with the other side's help."""
    def perft(self, depth: int) -> int:
        """The number of leaf paths depth plies deep in the legal move tree (1 for depth 0).

        Counted natively; the board is unchanged. Raises PanicException where legal_moves()
        does anywhere in the tree, and ValueError when a line of moves would lead the search
        deeper than 256 plies.
        """
    def __copy__(self) -> Board:
        """The same as copy()."""
    def __deepcopy__(self, memo: object) -> Board:
        """The same as copy()."""
    def __reduce__(self) -> tuple[Any, ...]:
        """Pickle support: the FEN text and the game as bytes."""
    def __setstate__(self, state: bytes) -> None:
        """Pickle support: replace the position and both stacks; ValueError for foreign bytes."""
