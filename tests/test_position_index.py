"""The position index example: indexes of the real files, built on a pool of two from small pieces, in one
process, and on a local Dask cluster, answer what a brute-force scan of the games with Boards finds."""

import pathlib
import re
import subprocess
import sys
from collections import Counter, defaultdict

import pytest

import tarvik
from conftest import load_script

pytest.importorskip("duckdb")
pytest.importorskip("pyarrow")

EXAMPLE = pathlib.Path(__file__).resolve().parents[1] / "examples" / "position_index.py"
REAL = pathlib.Path(__file__).resolve().parents[2] / "shared" / "realworld-data"
REAL_FILES = sorted(REAL.glob("*.pgn"))
LICHESS = REAL / "tidylichess-lichess_cubicinfinity_2022-10-19.pgn"
pytestmark = pytest.mark.skipif(not REAL_FILES, reason="../shared/realworld-data is absent")

SICILIAN = "rnbqkbnr/pp1ppppp/8/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2"
BERLIN = "r1bqkb1r/pppp1ppp/2n2n2/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4"  # castling played from it
NEVER_REACHED = "QQQQQQQQ/8/8/8/8/8/8/k6K b - - 0 1"
RATING = re.compile(r"[0-9]{1,9}")

example = load_script(EXAMPLE, "position_index")


def position_after(path, plies, game_number=0):
    game = list(tarvik.read_pgn(path))[game_number]
    board = tarvik.Board(game.starting_fen)
    for move in game.moves[:plies]:
        board.apply_move(move)
    return board.to_fen()


def repeated_final_position():
    """The last position of a game that reaches it more than once: several rows of one game, one move null."""
    for game in tarvik.read_pgn(REAL / "pgnextractgo-test-repetition.pgn"):
        board = game.board()
        if board.is_repetition(3):
            return board.to_fen()
    raise AssertionError("no repetition in the file")


def targets():
    return [tarvik.Board().to_fen(), SICILIAN, BERLIN, NEVER_REACHED,
            position_after(REAL / "pychess-kasparov-deep-blue-1997.pgn", 12),
            position_after(LICHESS, 4, game_number=3),
            position_after(REAL / "pgnextractgo-test-promotion-in.pgn", 0),  # a FEN tag's; promotions played
            position_after(LICHESS, 6, game_number=540),  # six plies after a FEN tag's position
            repeated_final_position()]


def rating(value):
    return int(value) if value is not None and RATING.fullmatch(value.strip()) else None


def brute_force(fens):
    """For each FEN, the games replaying to it and the explorer's rows, found with Boards alone."""
    wanted = {tarvik.Board(fen).zobrist_hash(): fen for fen in fens}
    games = {fen: [] for fen in fens}
    played = {fen: defaultdict(list) for fen in fens}  # SAN -> (result, ratings) of each game playing it
    for path in REAL_FILES:
        for game in tarvik.read_pgn(path):
            headers = game.headers
            board = tarvik.Board(game.starting_fen)
            moves_from = defaultdict(set)  # FEN -> SANs this game plays from it
            for ply in range(len(game.moves) + 1):
                fen = wanted.get(board.zobrist_hash())
                move = game.moves[ply] if ply < len(game.moves) else None
                if fen is not None:
                    moves_from[fen].update([board.san(move)] if move is not None else [])
                if move is not None:
                    board.apply_move(move)
            for fen, sans in moves_from.items():
                games[fen].append((str(path), game.offset, headers.get("White"), headers.get("Black"), game.result))
                for san in sans:
                    played[fen][san].append((game.result, [rating(headers.get(tag)) for tag in ("WhiteElo", "BlackElo")]))
    explorers = {}
    for fen in fens:
        rows = []
        for san, games_playing in played[fen].items():
            results = Counter(result for result, _ in games_playing)
            known = [elo for _, ratings in games_playing for elo in ratings if elo is not None]
            rows.append((san, len(games_playing), results["1-0"], results["1/2-1/2"], results["0-1"],
                         sum(known) / len(known) if known else None))
        explorers[fen] = sorted(rows, key=lambda row: (-row[1], row[0]))
    return games, explorers


def build(out, *options):
    result = subprocess.run([sys.executable, str(EXAMPLE), "build", str(out), *options, *map(str, REAL_FILES)],
                            capture_output=True, text=True, timeout=600)
    assert result.returncode == 0, result.stderr
    return result


@pytest.fixture(scope="module")
def indexes(tmp_path_factory):
    folder = tmp_path_factory.mktemp("indexes")
    pool = build(folder / "pool", "--workers", "2", "--piece-size", "40000")
    assert "100%" in pool.stderr  # the progress bar ran to the end
    build(folder / "alone", "--workers", "1")
    return [folder / "pool", folder / "alone"]


def test_indexes_answer_as_a_scan_of_the_games(indexes):
    fens = targets()
    games, explorers = brute_force(fens)
    assert not games[NEVER_REACHED] and len(games[SICILIAN]) > 100
    assert all(games[fen] for fen in fens if fen != NEVER_REACHED)
    plies = sum(len(game.moves) + 1 for path in REAL_FILES for game in tarvik.read_pgn(path))
    for out in indexes:
        with example.connect(str(out)) as index:
            assert index.execute("SELECT count(*) FROM positions").fetchone() == (plies,)
            for fen in fens:
                reaching, answer = example.lookup(index, fen)
                assert [tuple(row) for row in reaching] == games[fen], fen
                assert [row[:5] for row in answer] == [row[:5] for row in explorers[fen]], fen
                assert [row.average_elo for row in answer] == pytest.approx([row[5] for row in explorers[fen]])


def test_query_prints_both_tables(indexes):
    result = subprocess.run([sys.executable, str(EXAMPLE), "query", str(indexes[0]), SICILIAN, "--games", "2"],
                            capture_output=True, text=True, timeout=60, check=True)
    lines = result.stdout.splitlines()
    assert re.fullmatch(r"[0-9,]+ games reach the position:", lines[0])
    assert lines[1].split() == ["file", "offset", "White", "Black", "result"]
    assert lines[4].startswith("  ... and ") and lines[5] == "Moves played from it:"
    assert lines[6].split() == ["move", "games", "White", "wins", "draws", "Black", "wins", "average", "Elo"]
    assert lines[7].split()[0] == "d6"
    refused = subprocess.run([sys.executable, str(EXAMPLE), "query", str(indexes[0]), "not a fen"],
                             capture_output=True, text=True, timeout=60)
    assert refused.returncode == 2 and "not a fen" in refused.stderr


def test_a_dask_cluster_builds_the_same_index(indexes, tmp_path):
    pytest.importorskip("dask.distributed")
    small = [path for path in REAL_FILES if path.stat().st_size < 30_000]
    result = subprocess.run([sys.executable, str(EXAMPLE), "build", str(tmp_path / "dask"), "--dask", "--workers",
                             "2", "--piece-size", "3000", *map(str, small)], capture_output=True, text=True,
                            timeout=300)
    assert result.returncode == 0, result.stderr
    start = tarvik.Board().to_fen()
    with example.connect(str(tmp_path / "dask")) as index, example.connect(str(indexes[1])) as whole:
        names = {str(path) for path in small}
        expected = [row for row in example.lookup(whole, start)[0] if row.file in names]
        assert example.lookup(index, start)[0] == expected and expected
