"""Reading and writing PGN against python-chess, game by game: generated corpora full of what real
files hold, and the real files in ../shared/realworld-data (skipped when absent)."""

import io
import logging
import pathlib
import random
import re
import shutil

import chess
import chess.engine
import chess.pgn
import pytest

import tarvik

logging.getLogger("chess.pgn").setLevel(logging.CRITICAL)
REAL_FILES = sorted((pathlib.Path(__file__).resolve().parents[2] / "shared" / "realworld-data").glob("*.pgn"))
ROSTER = {"Event": "?", "Site": "?", "Date": "????.??.??", "Round": "?", "White": "?", "Black": "?", "Result": "*"}
# What tarvik reads on purpose differently: the moves of other variants and null moves end with an error.
UNSUPPORTED = "not supported"
GAMES_PER_FILE = 250  # compared in each real file, spread over it


def their_games(data):
    """python-chess's games from bytes, read as a text file is: undecodable bytes replaced, newlines translated."""
    handle = io.StringIO(data.decode("utf-8", errors="replace"), newline=None)
    games = []
    while (game := chess.pgn.read_game(handle)) is not None:
        games.append(game)
    return games


def unescaped(value):
    return re.sub(r'\\(["\\])', r"\1", value)


def assert_same_game(ours, theirs):
    context = (ours.offset, ours.errors, [str(error) for error in theirs.errors])
    # python-chess fills the seven-tag roster with defaults and keeps escapes; tarvik's
    # headers are the file's, escapes read.
    expected = {name: unescaped(value) for name, value in theirs.headers.items()
                if ours.headers.get(name) is not None or ROSTER.get(name) != value}
    assert {name: value for name, value in ours.headers.items() if name != "Result"} == {
        name: value for name, value in expected.items() if name != "Result"}, context
    nodes = list(theirs.mainline())
    assert [move.uci() for move in ours.moves] == [node.move.uci() for node in nodes], context
    assert (ours.comment, ours.comments) == (theirs.comment, [node.comment for node in nodes]), context
    assert ours.nags == [node.nags for node in nodes], context
    assert ours.clocks == [node.clock() for node in nodes], context
    assert ours.evals == [None if not node.eval() else node.eval().white().score() for node in nodes], context
    assert ours.mates == [None if not node.eval() else node.eval().white().mate() for node in nodes], context
    assert bool(ours.errors) == bool(theirs.errors), context
    assert ours.board().to_fen() == theirs.end().board().fen(en_passant="fen"), context
    if theirs.errors:
        return  # past an error python-chess stumbles: it reads no later result marker, and plays
        # the moves after a variation that ended in an error on that variation's board
    assert str(ours) == str(theirs), context
    assert ours.export() == theirs.accept(chess.pgn.StringExporter()), context
    assert ours.export(columns=40, comments=False) == theirs.accept(chess.pgn.StringExporter(columns=40, comments=False))
    assert ours.export(headers=False, variations=False) == theirs.accept(
        chess.pgn.StringExporter(headers=False, variations=False)), context


# ---------------------------------------------------------------- generated corpora

FENS = [chess.STARTING_FEN, "r3k2r/1P4P1/8/2pP4/5pP1/8/1p4p1/R3K2R b KQkq g3 0 30",
        "4k3/1P6/8/8/8/8/6p1/4K3 b - - 0 1", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 7 45"]
COMMENTS = ["good move", "[%clk 0:03:00]", "[%eval 0.24] [%clk 1:02:03.5]", "[%eval #-3,20]", "two\nlines",
            "Anand–Kramnik, « 1998 »", "odd } brace"]


def random_node_game(rng):
    """A python-chess game with comments, NAGs and nested variations from a random start."""
    game = chess.pgn.Game()
    fen = rng.choice(FENS)
    if fen != chess.STARTING_FEN:
        game.setup(fen)
    game.headers["White"] = rng.choice(["Anna", r'Ben \"the Rook\"', r"Cé\\cile"])  # escaped as PGN asks
    if rng.random() < 0.3:
        game.comment = rng.choice(COMMENTS)
    node, board = game, game.board()
    for _ in range(rng.randrange(60)):
        moves = list(board.legal_moves)
        if not moves:
            break
        node = node.add_variation(rng.choice(moves))
        if rng.random() < 0.3:
            node.comment = rng.choice(COMMENTS)
        if rng.random() < 0.2:
            node.nags.update(rng.sample([1, 2, 3, 4, 5, 6, 14, 146], rng.randrange(1, 3)))
        if rng.random() < 0.15 and len(moves) > 1:
            sideline = node.parent.add_variation(rng.choice([m for m in moves if m != node.move]))
            sideline.starting_comment = rng.choice(["", "or", "[%clk 0:01:00]"])
            line_board = sideline.parent.board()
            line_board.push(sideline.move)
            for _ in range(rng.randrange(4)):
                replies = list(line_board.legal_moves)
                if not replies:
                    break
                sideline = sideline.add_variation(rng.choice(replies))
                line_board.push(sideline.move)
        board.push(node.move)
    game.headers["Result"] = rng.choice(["1-0", "0-1", "1/2-1/2", "*"])
    return game


def quirky(text, rng):
    """The game's PGN as other programs write it."""
    replacements = [(" $1 ", "! "), (" $2 ", "? "), (" $5 ", "!? "), ("O-O", "0-0"), ("=Q", "Q"), ("=N", "N"),
                    ("\n", "\r\n"), ("1. ", "1.")]
    for old, new in rng.sample(replacements, rng.randrange(len(replacements))):
        text = text.replace(old, new)
    if rng.random() < 0.2:
        text = text.replace("[Site", "% an escaped line\n; a comment line\n[Site")
    if rng.random() < 0.2:
        text = text.rsplit(" ", 1)[0]  # no result marker
    return text


@pytest.mark.parametrize("seed", range(6))
def test_generated_games_read_as_python_chess_reads_them(seed):
    rng = random.Random(seed)
    texts = [quirky(str(random_node_game(rng)) if rng.random() < 0.5 else random_node_game(rng).accept(
        chess.pgn.StringExporter(headers=rng.random() < 0.8)), rng) for _ in range(40)]
    data = ("\ufeff" if seed % 2 else "").encode() + "\n\n".join(texts).encode()
    data = data.replace(b"good move", b"go\xffod \xe2\x82move", seed)  # bytes that are not UTF-8, in a few comments
    ours, theirs = list(tarvik.read_pgn(data)), their_games(data)
    assert len(ours) == len(theirs)
    for mine, reference in zip(ours, theirs):
        assert_same_game(mine, reference)
    assert [game.offset for game in ours] == sorted({game.offset for game in ours})


def stockfish_game(engine, rng):
    """A game Stockfish plays from a random opening, with its evaluations and made-up clocks, as
    python-chess writes it: long endgames, promotions and mates that random play seldom reaches."""
    board = chess.Board(rng.choice(FENS))
    game = chess.pgn.Game()
    game.setup(board)
    node, seconds = game, 180.0
    while not board.is_game_over(claim_draw=True) and board.ply() < 300:
        if board.ply() < 6:
            move, score = rng.choice(list(board.legal_moves)), None
        else:
            played = engine.play(board, chess.engine.Limit(depth=3), info=chess.engine.INFO_SCORE)
            move, score = played.move, played.info.get("score")
        node = node.add_variation(move)
        if score is not None:
            node.set_eval(score)
        seconds = max(0.0, seconds - rng.random() * 5)
        node.set_clock(round(seconds, 1))
        board.push(move)
    game.headers["Result"] = board.result(claim_draw=True)
    return game


def test_stockfish_games_read_as_python_chess_reads_them():
    path = shutil.which("stockfish") or "/usr/games/stockfish"
    rng = random.Random(5)
    with chess.engine.SimpleEngine.popen_uci(path) as engine:
        data = "\n\n".join(str(stockfish_game(engine, rng)) for _ in range(8)).encode()
    ours, theirs = list(tarvik.read_pgn(data)), their_games(data)
    assert len(ours) == len(theirs) == 8
    for mine, reference in zip(ours, theirs):
        assert_same_game(mine, reference)


@pytest.mark.parametrize("text", [
    '[Event "x"]\n\n[White "y"]\n\n1. e4 e5 *',  # a blank line between tag pairs starts no game
    '[White "a"]\n[Black "c"]\n[White "b"]\n\n1. d4 *',  # a name given twice keeps its last value
    '[White "a"]\n\n[White "b"]\n\n1. d4 *\n\n[Event "z"]\n\n1. c4 *',
])
def test_tag_pair_layouts_read_as_python_chess_reads_them(text):
    ours, theirs = list(tarvik.read_pgn(text.encode())), their_games(text.encode())
    assert len(ours) == len(theirs)
    for mine, reference in zip(ours, theirs):
        assert_same_game(mine, reference)
        assert [mine.header(name) for name in reference.headers] == [
            value if mine.header(name) is not None else None for name, value in reference.headers.items()]


@pytest.mark.parametrize("seed", range(3))
def test_any_cut_of_the_bytes_reads_the_same_games(seed):
    rng = random.Random(seed)
    games = [str(random_node_game(rng)).encode() + b"\n" for _ in range(30)]
    # Byte-order marks where a game begins, and a line before a tag pair that is none.
    games[seed] = b"\xef\xbb\xbf[Event\n" + games[seed]
    data = b"\n".join(games)
    whole = [(game.offset, str(game)) for game in tarvik.read_pgn(data)]
    after_mark = data.index(b"\xef\xbb\xbf[Event\n") + 10  # the tag pair's line
    cuts = sorted(rng.sample(range(1, len(data)), 12) + [after_mark]) + [len(data) + 5]
    pieces, start = [], 0
    for stop in cuts:
        pieces += [(game.offset, str(game)) for game in tarvik.read_pgn(data, start=start, stop=stop)]
        start = stop
    assert pieces == whole


# ---------------------------------------------------------------- the real files


@pytest.mark.skipif(not REAL_FILES, reason="../shared/realworld-data is absent")
@pytest.mark.parametrize("path", REAL_FILES, ids=lambda path: path.name)
def test_real_files_read_as_python_chess_reads_each_game(path):
    # Each game's bytes go to python-chess alone, so that its running one game into the next
    # where no blank line parts them does not count against the comparison.
    data = path.read_bytes()
    ours = list(tarvik.read_pgn(path))
    assert [game.offset for game in ours] == [game.offset for game in tarvik.read_pgn(data)]
    ends = [game.offset for game in ours[1:]] + [len(data)]
    step = max(1, len(ours) // GAMES_PER_FILE)
    for game, end in list(zip(ours, ends))[::step]:
        theirs = their_games(data[game.offset:end])
        if any(UNSUPPORTED in error for error in game.errors):
            continue
        if len(theirs) > 1:
            # python-chess makes a game of its own of a lone result marker after a blank line, or of
            # a comment before one: the moves are those of its one game with moves.
            [their] = [their for their in theirs if their.variations] or theirs[:1]
            assert [move.uci() for move in game.moves] == [move.uci() for move in their.mainline_moves()]
            continue
        assert_same_game(game, theirs[0])
