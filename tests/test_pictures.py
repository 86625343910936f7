"""Pictures of boards: unicode() as python-chess writes it, svg() checked element by element against
python-chess's reading of the same piece sets, and the SVG as a browser draws it."""

import itertools
import pathlib
import random
import xml.etree.ElementTree as ET

import chess
import pytest

import tarvik
from conftest import PanicException, load_script, square

REPO = pathlib.Path(__file__).resolve().parents[1]
SVG = "{http://www.w3.org/2000/svg}"
SETS = {"p": "pawns", "n": "knights", "b": "bishops", "r": "rooks", "q": "queens", "k": "kings"}
NAMES = {"p": "pawn", "n": "knight", "b": "bishop", "r": "rook", "q": "queen", "k": "king"}


def board_pairs(count=150, seed=11):
    """(tarvik board, python-chess board) pairs of one position: seeded games, and boards broken by raw
    piece-set edits applied to both (a square in several sets, in both colours or in none)."""
    rng = random.Random(seed)
    pairs = []
    for _ in range(count):
        theirs = chess.Board()
        for _ in range(rng.randrange(60)):
            moves = list(theirs.legal_moves)
            if not moves:
                break
            theirs.push(rng.choice(moves))
        ours = tarvik.Board()
        for move in theirs.move_stack:
            ours.push_uci(move.uci())
        pairs.append((ours, theirs))
        if rng.random() < 0.5:
            continue
        ours, theirs = tarvik.Board(theirs.fen()), theirs.copy(stack=False)
        for _ in range(rng.randrange(1, 6)):
            rule, letter = rng.choice(["set_pieces_or", "set_pieces_xor"]), rng.choice("PNBRQKpnbrqk")
            squares = sum(1 << rng.randrange(64) for _ in range(rng.randrange(1, 4)))
            getattr(ours, rule)(letter, squares)
            name = SETS[letter.lower()]
            if rule == "set_pieces_or":
                setattr(theirs, name, getattr(theirs, name) | squares)
                theirs.occupied_co[letter.isupper()] |= squares
            else:
                setattr(theirs, name, getattr(theirs, name) ^ squares)
        theirs.occupied = theirs.occupied_co[chess.WHITE] | theirs.occupied_co[chess.BLACK]
        pairs.append((ours, theirs))
    return pairs


PAIRS = board_pairs()


def test_unicode_is_python_chess_text():
    options = [dict(invert_color=invert, borders=borders, empty_square=empty, orientation=orientation)
               for invert, borders, empty, orientation in itertools.product(
                   (False, True), (False, True), ("⭘", ".", ""), (True, False))]
    for ours, theirs in PAIRS:
        assert ours.unicode() == theirs.unicode()
        for option in options:
            assert ours.unicode(**option) == theirs.unicode(**option), (theirs.fen(), option)


def parse(picture):
    root = ET.fromstring(picture)
    assert root.tag == f"{SVG}svg"
    return root


def square_at(x, y, margin, flipped):
    file, row = int((x - margin) // 45), int((y - margin) // 45)
    return chess.square(7 - file, row) if flipped else chess.square(file, 7 - row)


@pytest.mark.parametrize("flipped, coordinates", [(False, True), (True, False)])
def test_svg_draws_what_python_chess_reads(flipped, coordinates):
    margin = 15 if coordinates else 0
    for ours, theirs in PAIRS[::3]:
        last = theirs.move_stack[-1] if theirs.move_stack else None
        lastmove = tarvik.Move(last.from_square, last.to_square) if last else None
        root = parse(ours.svg(flipped=flipped, coordinates=coordinates, lastmove=lastmove))
        assert root.get("viewBox") == f"0 0 {360 + 2 * margin} {360 + 2 * margin}"
        assert root.find(f"{SVG}desc").text == str(theirs)
        drawn = {square_at(float(use.get("x")), float(use.get("y")), margin, flipped): use.get("href")
                 for use in root.iter(f"{SVG}use")}
        expected = {sq: f"#{chess.COLOR_NAMES[piece.color]}-{NAMES[piece.symbol().lower()]}"
                    for sq in chess.SQUARES if (piece := theirs.piece_at(sq))}
        assert drawn == expected, theirs.fen()
        defined = {g.get("id") for g in root.find(f"{SVG}defs").iter(f"{SVG}g")}
        assert defined == {href[1:] for href in expected.values()}
        squares = [rect for rect in root.iter(f"{SVG}rect") if "square" in rect.get("class", "")]
        assert len(squares) == 64
        for rect in squares:
            sq = square_at(float(rect.get("x")), float(rect.get("y")), margin, flipped)
            light = bool(chess.BB_LIGHT_SQUARES & chess.BB_SQUARES[sq])
            lastmove = last is not None and sq in (last.from_square, last.to_square)
            assert rect.get("class") == f"square {'light' if light else 'dark'}{' lastmove' if lastmove else ''} " \
                                        f"{chess.square_name(sq)}"


def test_svg_options():
    board = tarvik.Board("4k3/8/8/8/8/8/4q3/4K3 w - - 0 1")
    plain = parse(board.svg())
    assert (plain.get("width"), plain.get("height")) == ("390", "390")
    assert "width" not in parse(board.svg(size=None)).attrib
    assert parse(board.svg(size=0)).get("width") == "0"
    marked = parse(board.svg(check=square("e1"), arrows=[(square("e2"), square("e1")), (3, 3)]))
    [check] = [rect for rect in marked.iter(f"{SVG}rect") if rect.get("class") == "check"]
    assert (check.get("x"), check.get("y")) == ("195", "330")
    assert len([e for e in marked.iter() if e.get("class") == "arrow"]) == 2
    assert marked.find(f"{SVG}defs/{SVG}radialGradient") is not None
    assert plain.find(f"{SVG}defs/{SVG}radialGradient") is None
    # Arrows and the last move may come from any iterable and from moves off the board.
    assert parse(board.svg(arrows=iter([[1, 2]]), lastmove=tarvik.Move(64, 99))) is not None


@pytest.mark.parametrize("arguments, error, message", [
    ({"check": 64}, ValueError, "check: a square 0..63 is expected, not 64"),
    ({"arrows": [(0, 64)]}, ValueError, "arrows: a square 0..63 is expected, not 64"),
    ({"arrows": [(0, 1, 2)]}, ValueError, r"a \(tail, head\) pair of squares, not 3 items"),
    ({"arrows": [5]}, TypeError, r"argument 'arrows': an arrow must be a \(tail, head\) pair"),
    ({"arrows": 5}, TypeError, "argument 'arrows': 'int' object is not iterable"),
    ({"arrows": [("e2", "e4")]}, TypeError, "argument 'arrows'"),
    ({"lastmove": "e2e4"}, TypeError, "argument 'lastmove': 'str' object cannot be converted to 'Move'"),
    ({"size": -1}, OverflowError, None),
    ({"flipped": 1}, TypeError, "argument 'flipped': 'int' object cannot be converted to 'PyBool'"),
    ({"coordinates": None}, TypeError, "argument 'coordinates'"),
    ({"check": "e1"}, TypeError, "argument 'check'"),
    ({"colors": {}}, TypeError, "unexpected keyword argument 'colors'"),
])
def test_svg_errors(arguments, error, message):
    with pytest.raises(error, match=message):
        tarvik.Board().svg(**arguments)


@pytest.mark.parametrize("arguments, error, message", [
    ((True,), TypeError, r"Board.unicode\(\) takes 0 positional arguments but 1 was given"),
    ({"empty_square": 0}, TypeError, "argument 'empty_square'"),
    ({"borders": "yes"}, TypeError, "argument 'borders'"),
])
def test_unicode_errors(arguments, error, message):
    with pytest.raises(error, match=message):
        if isinstance(arguments, tuple):
            tarvik.Board().unicode(*arguments)
        else:
            tarvik.Board().unicode(**arguments)


def test_notebook_picture_marks_the_last_move_and_a_check():
    mate = chess.Board()
    for san in ["f3", "e5", "g4", "Qh4#"]:
        mate.push_san(san)
    games = [pair for pair in PAIRS if pair[1].move_stack] + [(tarvik.Board(), chess.Board())]
    games.append((tarvik.Board(), mate))
    for move in mate.move_stack:
        games[-1][0].push_uci(move.uci())
    checks = 0
    for ours, theirs in games:
        last = tarvik.Move(theirs.peek().from_square, theirs.peek().to_square) if theirs.move_stack else None
        check = theirs.king(theirs.turn) if theirs.is_check() else None
        checks += check is not None
        assert ours._repr_svg_() == ours.svg(lastmove=last, check=check)
    assert checks >= 2
    # A board whose check cannot be told is drawn without the mark.
    no_black_king = tarvik.Board("8/8/8/8/8/8/8/4K3 w - - 0 1")
    with pytest.raises(PanicException):
        no_black_king.is_check()
    assert no_black_king._repr_svg_() == no_black_king.svg()


def load_renderer():
    return load_script(REPO / "tools" / "render_svg.py", "render_svg")


LIGHT, DARK = (0xEE, 0xDA, 0xB7), (0xB9, 0x8B, 0x62)
LIGHT_LASTMOVE, DARK_LASTMOVE = (0xDF, 0xDC, 0x7C), (0xB5, 0xA8, 0x45)
WHITE, BLACK, MARGIN = (255, 255, 255), (0, 0, 0), (0x2B, 0x2B, 0x2B)


def close_to(pixel, colour, tolerance=6):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


def test_a_browser_draws_the_squares_pieces_and_marks(tmp_path):
    renderer = load_renderer()
    chromium = renderer.find_chromium()
    if chromium is None:
        pytest.skip("no Chromium: scripts/test.sh installs Debian's chromium")
    from PIL import Image

    # 720 pixels for 360 units: two pixels a unit, 90 a square.
    board = tarvik.Board()
    for san in ["e4", "e5", "Qh5", "Nc6", "Bc4", "Nf6", "Qxf7#"]:
        board.push_san(san)
    lastmove, check = tarvik.Move(39, 53), square("e8")
    renderer.render(board.svg(size=720, coordinates=False, lastmove=lastmove, check=check), tmp_path / "a.png",
                    720, 720, chromium)
    flipped = tarvik.Board()
    renderer.render(flipped.svg(size=390, flipped=True), tmp_path / "b.png", 390, 390, chromium)
    picture, flipped_picture = (Image.open(tmp_path / name).convert("RGB") for name in ("a.png", "b.png"))

    their_board = chess.Board(board.to_fen())
    for sq in chess.SQUARES:
        x, y = 90 * chess.square_file(sq) + 45, 90 * (7 - chess.square_rank(sq)) + 45
        light = bool(chess.BB_LIGHT_SQUARES & chess.BB_SQUARES[sq])
        if sq in (lastmove.from_square, lastmove.to_square):
            square_colour = LIGHT_LASTMOVE if light else DARK_LASTMOVE
        else:
            square_colour = LIGHT if light else DARK
        piece = their_board.piece_at(sq)
        centre = picture.getpixel((x, y))
        assert close_to(centre, (WHITE if piece.color else BLACK) if piece else square_colour), (sq, centre)
        # Beside a piece the square's own colour shows, red around the king in check.
        if sq == check:
            beside = picture.getpixel((x - 30, y))
            assert beside[0] > beside[1] + 60, beside
        else:
            assert close_to(picture.getpixel((x - 41, y)), square_colour), sq
    # Flipped with coordinates: h8 at the bottom left, a white king on e1 near the top, the margin dark.
    assert close_to(flipped_picture.getpixel((4, 4)), MARGIN)
    assert close_to(flipped_picture.getpixel((15 + 22, 390 - 15 - 22)), BLACK)  # the rook on h8
    assert close_to(flipped_picture.getpixel((15 + 3 * 45 + 22, 15 + 22)), WHITE)  # the king on e1
    assert close_to(flipped_picture.getpixel((15 + 3 * 45 + 22, 15 + 3 * 45 + 22)), LIGHT)  # e4, empty
