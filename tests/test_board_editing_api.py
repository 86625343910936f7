"""Setting a board up part by part, EPD and the square helpers, against python-chess: differential loops over the
seeded random games of test_board_api and over random edits that break positions, EPD written and read back, and
the error cases grouped."""

import random

import chess
import pytest

import tarvik
from conftest import PanicException
from tarvik import Board, Move
from test_board_api import playable, positions

CASTLING_FIELDS = ["-", "", "KQkq", "K", "Qk", "q", "HAha", "Bb", "KQ", "kq", "AH", "Kh", "Cc", "EG"]


@pytest.fixture(scope="module")
def reached():
    return [(ours.copy(), theirs.copy()) for ours, theirs in positions()]


def uci_of(operand):
    """An operand with moves written as UCI, so either library's values compare."""
    if isinstance(operand, list):
        return [uci_of(move) for move in operand]
    return operand.uci() if isinstance(operand, (Move, chess.Move)) else operand


def ucis_of(operations):
    return {opcode: uci_of(operand) for opcode, operand in operations.items()}


def as_read_back(operations):
    """The operations as writing and reading them again gives them: am and bm written in SAN order."""
    return {opcode: sorted(operand) if opcode in ("am", "bm") else operand
            for opcode, operand in ucis_of(operations).items()}


def answer(call):
    """What a call gives: its value, or the kind of error (ValueError covers python-chess's move errors)."""
    try:
        return call()
    except ValueError:
        return ValueError


def operations(theirs, rng):
    """EPD operations of every kind python-chess writes, the moves legal in the position."""
    legal = list(theirs.legal_moves)
    ops = {"id": rng.choice(['plain', 'with "quotes"', "back\\slash\ttab\nline"]), "acd": rng.randrange(-5, 10**20),
           "ce": rng.choice([0.5, -1e-300, 1e300, 3.0]), "noop": None}
    if legal:
        line, position = [], theirs.copy()
        for _ in range(3):
            moves = list(position.legal_moves)
            if not moves:
                break
            line.append(rng.choice(moves))
            position.push(line[-1])
        ops.update(bm=rng.choice(legal), am=rng.sample(legal, min(3, len(legal))), pv=line)
    return ops


def test_readings_agree(reached):
    """board_fen, clean castling rights, material per side, find_move and EPD with operations, then read back."""
    rng = random.Random(11)
    for index, (ours, theirs) in enumerate(reached):
        fen = theirs.fen()
        assert ours.board_fen() == theirs.board_fen() == ours.board_fen(promoted=True), fen
        assert ours.clean_castling_rights() == theirs.clean_castling_rights(), fen
        for color in (True, False):
            assert ours.has_insufficient_material(color) == theirs.has_insufficient_material(color), fen
        if not playable(theirs) or index % 4:  # python-chess is slow: a quarter of the games will do
            continue
        legal = list(theirs.legal_moves)
        pairs = [(m.from_square, m.to_square) for m in rng.sample(legal, min(4, len(legal)))] + [
            (rng.randrange(64), rng.randrange(64)) for _ in range(2)] + [(4, 7), (4, 0), (60, 63), (60, 56)]
        for origin, target in pairs:
            for promotion in (None, "n"):
                theirs_promotion = None if promotion is None else chess.KNIGHT
                assert uci_of(answer(lambda: ours.find_move(origin, target, promotion))) == uci_of(
                    answer(lambda: theirs.find_move(origin, target, theirs_promotion))), (fen, origin, target)
        for shredder, en_passant in [(False, "legal"), (True, "xfen"), (False, "fen")]:
                assert ours.epd(shredder=shredder, en_passant=en_passant) == theirs.epd(
                shredder=shredder, en_passant=en_passant), fen
        theirs_ops = operations(theirs, rng)
        ours_ops = {opcode: Move.from_uci(operand.uci()) if isinstance(operand, chess.Move) else
                    [Move.from_uci(m.uci()) for m in operand] if isinstance(operand, list) else operand
                    for opcode, operand in theirs_ops.items()}
        written = ours.epd(**ours_ops)
        assert written == theirs.epd(**theirs_ops), fen
        # A bool is an int to both, written "True", which reads back as no move: not for the round trip.
        assert ours.epd(flag=True) == theirs.epd(flag=True), fen
        read, read_ops = Board.from_epd(written)
        their_board, their_ops = chess.Board.from_epd(written)
        assert (read.epd(), ucis_of(read_ops)) == (their_board.epd(), ucis_of(their_ops)), written


def test_edits_agree_also_where_they_break_the_position():
    """Random edits of both boards: placements of other games and broken ones, castling fields, pieces."""
    rng = random.Random(23)
    placements = [theirs.board_fen() for _, theirs in positions()][::7] + [
        "8/8/8/8/8/8/8/8", "4k3/8/8/8/8/8/8/8", "4k3/8/8/8/8/8/8/3KK3", "P3k3/8/8/8/8/8/8/4K2p",
        "r3k2r/8/8/8/8/8/8/R3K2R", "rk5r/8/8/8/8/8/8/RK5R", "1r2k1r1/8/8/8/8/8/8/1R2K1R1", "4k3/8/8/8/8/8/8/R~3K2R"]
    for game in range(60):
        start = chess.Board(rng.choice(placements) + " w - - 0 1")
        ours, theirs = Board(start.fen()), start
        for step in range(8):
            edit = rng.randrange(5)
            if edit == 0:
                field = rng.choice(CASTLING_FIELDS)
                ours.set_castling_fen(field)
                theirs.set_castling_fen(field)
            elif edit == 1:
                placement = rng.choice(placements)
                ours.set_board_fen(placement)
                theirs.set_board_fen(placement)
            elif edit == 2:
                pieces = chess.Board(rng.choice(placements) + " w - - 0 1").piece_map()
                ours.set_piece_map({square: piece.symbol() for square, piece in pieces.items()})
                theirs.set_piece_map(pieces)
            elif edit == 3:
                square, letter = rng.randrange(64), rng.choice("KQRBNPkqrbnp")
                ours.set_piece_at(square, letter)
                theirs.set_piece_at(square, chess.Piece.from_symbol(letter))
            elif playable(theirs) and any(theirs.legal_moves):
                move = rng.choice(list(theirs.legal_moves))
                ours.push_uci(move.uci())
                theirs.push(move)
            where = (game, step, theirs.fen(), theirs.castling_rights)
            assert ours.board_fen() == theirs.board_fen(), where
            assert ours.clean_castling_rights() == theirs.clean_castling_rights(), where
            assert [ours.has_insufficient_material(c) for c in (True, False)] == [
                theirs.has_insufficient_material(c) for c in (True, False)], where
            # Rights to a square no rook can castle from are dropped: python-chess flags them as bad.
            bad_rook_squares = theirs.castling_rights & ~chess.BB_CORNERS and not theirs.move_stack
            assert ours.status() | (chess.STATUS_BAD_CASTLING_RIGHTS if bad_rook_squares else 0) == theirs.status()
            if playable(theirs):
                assert ours.epd() == theirs.epd(), where
                assert sorted(m.uci() for m in ours.legal_moves()) == sorted(m.uci() for m in theirs.legal_moves)
            else:
                assert answer(ours.epd) in (ValueError, theirs.epd()), where


@pytest.mark.parametrize("epd", [
    "4k3/8/8/8/8/8/4P3/4K3 w - - bm e4 Kd2; am Kf1; pv e4 Kd7 e5; id \"a \\\"b\\\" \\\\ \\t\\n\\r\\x\";",
    "4k3/8/8/8/8/8/4P3/4K3 w - - hmvc 7; fmvn 30; acd +1_0; x 0012; y -0; ce -.5e1; z 1.; q 1E-400;;",
    "4k3/8/8/8/8/8/4P3/4K3 w - - a 1; a \"again\"; - ; b; pv; am; bm;   ",
    "4k3/8/8/8/8/8/4P3/4K3 w - - \t c0 \"unclosed",
    "4k3/8/8/8/8/8/4P3/4K3 w - - c0 \"escape at the end\\",
    "4k3/8/8/8/8/8/4P3/4K3 w - - hmvc \"5\"; ",
    "4k3/8/8/8/8/8/4P3/4K3 b - -",
    "4k3/8/8/8/8/8/4P3/4K3 w",
    "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - bm O-O e1c1 Rb1; D1 1;",
    "4k3/8/8/8/8/8/4P3/4K3 w - - 1bad; é 1; 日本 \"text\";",
])
def test_epd_lines_read_as_python_chess_reads_them(epd):
    board = Board()
    operations = board.set_epd(epd)
    theirs = chess.Board()
    their_operations = theirs.set_epd(epd)
    assert (board.epd(), ucis_of(operations)) == (theirs.epd(), ucis_of(their_operations))
    assert [type(v) for v in operations.values()] == [type(v) for v in their_operations.values()]
    assert (board.halfmove_clock, board.fullmove_number, board.move_stack) == (
        theirs.halfmove_clock, theirs.fullmove_number, [])
    if not all(opcode[0].isalpha() for opcode in operations):
        return  # read as python-chess reads it, but no EPD can hold it
    again, again_ops = Board.from_epd(board.epd(**operations))
    assert (again.epd(), as_read_back(again_ops)) == (board.epd(), as_read_back(operations))


def move_of(board, origin, target):
    return (Move if isinstance(board, Board) else chess.Move)(origin, target)


@pytest.mark.parametrize("call", [
    # EPD: bad fields, opcodes, numbers, moves and clocks; nothing changes on failure.
    lambda b: b.set_epd("4k3/8/8/8/8/8/4P3/4K3 x - - bm e4;"),
    lambda b: b.set_epd("4k3/8/8/8/8/8/4P3/4K3 w - - 1x 2;"),
    lambda b: b.set_epd("4k3/8/8/8/8/8/4P3/4K3 w - - acd 1x;"),
    lambda b: b.set_epd("4k3/8/8/8/8/8/4P3/4K3 w - - ce 1.5.5;"),
    lambda b: b.set_epd("4k3/8/8/8/8/8/4P3/4K3 w - - ce 1e999;"),
    lambda b: b.set_epd("4k3/8/8/8/8/8/4P3/4K3 w - - bm e5;"),
    lambda b: b.set_epd("4k3/8/8/8/8/8/4P3/4K3 w - - pv e4 e5;"),
    lambda b: b.set_epd("8/8/8/8/8/8/8/8 w - - pv e4;"),  # no king to read moves for
    lambda b: b.set_epd("4k3/8/8/8/8/8/4P3/4K3 w - - hmvc 1.5;"),
    lambda b: b.set_epd("4k3/8/8/8/8/8/4P3/4K3 w - - hmvc -3;"),
    lambda b: b.set_epd("4k3/8/8/8/8/8/4P3/4K3 w - - fmvn e4;"),
    lambda b: b.set_epd("4k3/8/8/8/8/8/4P3/4K3 w - -;"),  # a FEN, with the ';' in its last field
    lambda b: b.set_epd("4k3/8/8/8/8/8/4P3/4K3 b - - 3 9"),  # the clocks read as an opcode
    lambda b: b.epd(**{"": 1}), lambda b: b.epd(**{"-": 1}), lambda b: b.epd(**{"1a": 1}),
    lambda b: b.epd(**{"a b": 1}), lambda b: b.epd(**{"a\nb": None}), lambda b: b.epd(bm=move_of(b, 20, 28)),
    lambda b: b.epd(pv=[move_of(b, 12, 28), move_of(b, 12, 28)]), lambda b: b.epd(ce=float("nan")),
    # The placement, castling and move setters.
    lambda b: b.set_board_fen("8/8/8/8/8/8/8/8 w"), lambda b: b.set_board_fen("8/8/8/8/8/8/8"),
    lambda b: b.set_board_fen("9/8/8/8/8/8/8/8"), lambda b: b.set_board_fen("44/8/8/8/8/8/8/8"),
    lambda b: b.set_board_fen("~7/8/8/8/8/8/8/8"), lambda b: b.set_board_fen("x7/8/8/8/8/8/8/8"),
    lambda b: b.set_castling_fen("KX"), lambda b: b.set_castling_fen("kK"), lambda b: b.set_castling_fen("KQK"),
    lambda b: b.find_move(12, 36), lambda b: b.find_move(12, 20, "q" if isinstance(b, Board) else chess.QUEEN), lambda b: b.find_move(4, 6),
])
def test_errors_agree_and_change_nothing(call):
    ours, theirs = Board(), chess.Board()
    ours.push_san("e4")
    theirs.push_san("e4")
    ours.pop()
    theirs.pop()
    before = (ours.to_fen(), ours.status())
    with pytest.raises(ValueError):
        call(ours)
    assert (ours.to_fen(), ours.status()) == before
    # python-chess fails too: ValueError, or AssertionError for a float it cannot write.
    with pytest.raises((ValueError, AssertionError)):
        call(theirs)


@pytest.mark.parametrize("call, kind, message", [
    (lambda b: b.set_piece_map({64: "K"}), ValueError, "square 64 is off the board: squares are 0 to 63"),
    (lambda b: b.set_piece_map({4: "X"}), ValueError, "invalid piece letter: 'X' (expected one of PNBRQKpnbrqk)"),
    (lambda b: b.set_piece_map({4: "KK"}), ValueError, "expected a string of length 1"),
    (lambda b: b.set_piece_map({"e1": "K"}), TypeError, "'str' object cannot be interpreted as an integer"),
    (lambda b: b.set_piece_map([(4, "K")]), TypeError, "'list' object cannot be converted to 'Mapping'"),
    (lambda b: b.epd(en_passant="always"), ValueError, "en_passant must be 'legal', 'xfen' or 'fen', not 'always'"),
    (lambda b: b.epd(1), TypeError, "Board.epd() takes 0 positional arguments but 1 was given"),
    (lambda b: b.epd(pv=[1]), TypeError, "'int' object cannot be converted to 'Move'"),
    (lambda b: b.find_move(12, 28, "qq"), ValueError, "expected a string of length 1"),
    (lambda b: b.find_move(4, 64), ValueError, "square 64 is off the board: squares are 0 to 63"),
])
def test_argument_errors_name_the_fault_and_change_nothing(call, kind, message):
    board = Board()
    with pytest.raises(kind) as raised:
        call(board)
    assert message in str(raised.value)
    assert board.to_fen() == chess.STARTING_FEN


BROKEN_EDITS = [
    lambda b: b.set_pieces_xor("K", 1 << 4), lambda b: b.set_pieces_or("k", 1 << 20),
    lambda b: b.set_pieces_or("N", 1 << 2), lambda b: b.set_pieces_xor("P", 1 << 8),
    lambda b: b.set_board_fen("8/8/8/8/8/8/8/8"), lambda b: b.set_piece_map({0: "P", 63: "p", 4: "K"}),
    lambda b: b.set_fen("4k3/8/8/8/8/8/3P4/4K3 w - e6 0 1"), lambda b: b.set_fen("4k3/8/8/8/8/8/8/r3K3 b - - 0 1"),
]


@pytest.mark.parametrize("breaking", BROKEN_EDITS)
def test_broken_boards_answer_or_raise_value_error(breaking):
    board = Board()
    breaking(board)
    calls = [lambda b: b.board_fen(), b_clean := (lambda b: b.clean_castling_rights()),
             lambda b: b.has_insufficient_material(True), lambda b: b.find_move(12, 28), lambda b: b.find_move(4, 6),
             lambda b: b.epd(en_passant="fen", shredder=True, bm=Move(12, 28), pv=[Move(12, 28)], am=[], x=1),
             lambda b: b.epd(), lambda b: b.set_castling_fen("KQkq"), lambda b: b.set_epd(b.epd()),
             lambda b: b.set_piece_map(b.piece_map()), lambda b: b.set_board_fen(b.board_fen())]
    assert b_clean(board) >= 0
    for call in calls:
        try:
            call(board.copy())
        except ValueError:
            pass
        except PanicException as panic:
            pytest.fail(f"panicked: {panic}")


def test_square_helpers_are_python_chess_s():
    names = chess.SQUARE_NAMES
    assert type(tarvik.SQUARE_NAMES) is list and tarvik.SQUARE_NAMES == names
    assert (tarvik.WHITE, tarvik.BLACK) == (chess.WHITE, chess.BLACK) == (True, False)
    assert [getattr(tarvik, name.upper()) for name in names] == [getattr(chess, name.upper()) for name in names]
    assert [tarvik.square_name(s) for s in range(64)] == names
    assert [tarvik.parse_square(name) for name in names] == list(range(64))
    assert [(tarvik.square_file(s), tarvik.square_rank(s)) for s in range(64)] == [
        (chess.square_file(s), chess.square_rank(s)) for s in range(64)]
    assert [tarvik.square(f, r) for r in range(8) for f in range(8)] == list(range(64))
    assert [tarvik.square_distance(a, b) for a in range(64) for b in range(64)] == [
        chess.square_distance(a, b) for a in range(64) for b in range(64)]
    assert not {"SQUARE_NAMES", "A1", "WHITE", "square_name"} & set(tarvik.__all__)
    for bad in [lambda: tarvik.parse_square("E4"), lambda: tarvik.parse_square("e9"), lambda: tarvik.parse_square(""),
                lambda: tarvik.square_name(64), lambda: tarvik.square_name(-1), lambda: tarvik.square(8, 0),
                lambda: tarvik.square(0, -1), lambda: tarvik.square_file(64), lambda: tarvik.square_distance(0, 99)]:
        with pytest.raises(ValueError):
            bad()
