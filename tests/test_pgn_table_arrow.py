"""pgn_table: every record batch valid Arrow, every value what the Game objects of read_pgn say (or the
Boards replaying them), for any thread count, byte-range cut and batch size; the consumers that read the
PyCapsule interface; streams dropped early; bad arguments refused at the call."""

import bz2
import gc
import gzip
import os
import pathlib
import random
import time

import pytest

import tarvik
from conftest import c_heap_bytes
from tarvik import Board

pa = pytest.importorskip("pyarrow")

REAL_FILES = sorted((pathlib.Path(__file__).resolve().parents[2] / "shared" / "realworld-data").glob("*.pgn"))
ROSTER = ["Event", "Site", "Date", "Round", "White", "Black", "Result", "WhiteElo", "BlackElo", "TimeControl", "ECO",
          "Opening", "Termination", "UTCDate", "UTCTime", "FEN"]
PIECES = "PNBRQKpnbrqk"
PROMOTIONS = [None, "n", "b", "r", "q"]
# Games with what real files hold and what breaks them: each must stay one row.
GAMES = [
    '[Event "Rated Blitz"]\n[White "Anna"]\n[WhiteElo "2100"]\n[TimeControl "180+2"]\n[Result "1-0"]\n\n'
    "1. e4 { [%eval 0.24] [%clk 0:03:00] } 1... e5 { [%clk 0:02:58.5] } 2. Qh5 { [%eval #3] } Nc6 "
    "3. Bc4 { [%eval -1.5,20] } Nf6 4. Qxf7# { [%eval #-0] } 1-0",
    '[FEN "4k3/1P6/8/3pP3/8/8/8/R3K2R w KQ d6 0 30"]\n[SetUp "1"]\n\n30. exd6 Kd7 31. b8=N+ Kxd6 32. O-O-O+ Ke5 *',
    '[FEN "r3k2r/8/8/8/8/8/8/4K3 b kq - 12 40"]\n\n40... O-O { [%clk 1:02:03.4] } 41. Kd2 Rf2+ 42. Ke3 *',
    "1. e4 c5 2. Ke3 Nc6 *",                                   # an illegal move ends the line
    '[Variant "Atomic"]\n\n1. e4 d5 *',                        # an unsupported variant reads no move
    '[FEN "not a fen"]\n\n1. e4 *',                            # a malformed FEN tag
    '[White "Twice"]\n[White "Again"]\n[Black "\udce9l\udce8ve"]\n\n1. d4 -- 2. c4 *',  # a repeated tag; a null move
    "1. f4 { never closed 2. g4\n\n",                          # a comment that never ends
    '[Event "Empty"]\n\n*',
    "1. e4 e5 (1... c5 2. Nf3 { [%clk 0:01:00] }) 2. Nf3 $1 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 1/2-1/2",
    "1. a4 b5 2. axb5 h5 3. b6 h4 4. bxc7 h3 5. cxd8=Q+ Kxd8 6. g4 hxg3 7. Nf3 gxh2 8. Ne5 hxg1=R 9. Rxa7 g2 "
    "10. Ra8 gxf1=B 11. Rxb8 Bxe2 12. Rxc8+ Kxc8 13. Kxe2 Rxh1 0-1",
]
CORPUS = ("\n\n".join(GAMES) + "\n").encode("utf-8", errors="surrogateescape")


def code(move):
    return move.from_square | move.to_square << 6 | PROMOTIONS.index(move.promotion) << 12


def read_table(source, **options):
    """The table, every batch checked as Arrow defines it."""
    reader = pa.RecordBatchReader.from_stream(tarvik.pgn_table(source, **options))
    batches = list(reader)
    for batch in batches:
        batch.validate(full=True)
        assert batch.num_rows > 0 and batch.num_rows <= (options.get("batch_rows") or batch.num_rows)
    return pa.Table.from_batches(batches, reader.schema)


def game_rows(source, *, start=0, stop=None, tags=ROSTER, uci=False):
    return [{"offset": game.offset, **{tag: game.header(tag) for tag in tags}, "result": game.result,
             "plies": len(game.moves), "moves": [move.uci() if uci else code(move) for move in game.moves],
             "clocks": game.clocks, "evals": game.evals, "mates": game.mates, "errors": game.errors,
             "final_fen": game.board().to_fen()} for game in tarvik.read_pgn(source, start=start, stop=stop)]


def position_rows(source, *, start=0, stop=None, uci=False):
    rows = []
    for game in tarvik.read_pgn(source, start=start, stop=stop):
        board = Board(game.starting_fen)
        moves = game.moves + [None]
        for ply, move in enumerate(moves):
            pieces = [0] * 12
            for square, symbol in board.piece_map().items():
                pieces[PIECES.index(symbol)] |= 1 << square
            castling = sum(bit for bit, (rights, white) in zip((1, 2, 4, 8), [
                (board.has_kingside_castling_rights, True), (board.has_queenside_castling_rights, True),
                (board.has_kingside_castling_rights, False), (board.has_queenside_castling_rights, False)])
                if rights(white))
            after = (game.clocks[ply - 1], game.evals[ply - 1], game.mates[ply - 1]) if ply else (None,) * 3
            rows.append({"offset": game.offset, "ply": ply, "zobrist": board.zobrist_hash(), "pieces": pieces,
                         "turn": board.turn, "castling": castling, "ep_square": board.ep_square,
                         "halfmove_clock": board.halfmove_clock,
                         "move": None if move is None else move.uci() if uci else code(move),
                         "clock": after[0], "eval": after[1], "mate": after[2], "result": game.result})
            if move is not None:
                board.apply_move(move)
    return rows


def corrupted(data, seed):
    """The corpus with a few bytes changed, dropped or doubled: broken games, never lost ones."""
    chooser = random.Random(seed)
    data = bytearray(data)
    for _ in range(12):
        at = chooser.randrange(len(data))
        data[at:at + 1] = chooser.choice([b"", bytes([chooser.randrange(256)]), data[at:at + 1] * 2, b"\n\n["])
    return bytes(data)


@pytest.fixture(scope="module")
def real_file():
    if not REAL_FILES:
        pytest.skip("../shared/realworld-data is absent")
    return max(REAL_FILES, key=lambda path: path.stat().st_size if path.stat().st_size < 700_000 else 0)


@pytest.mark.skipif(not REAL_FILES, reason="../shared/realworld-data is absent")
def test_game_rows_of_the_real_files_equal_their_games():
    for path in REAL_FILES:
        assert read_table(path, threads=2).to_pylist() == game_rows(path), path.name


@pytest.mark.parametrize("seed", range(4))
def test_threads_cuts_and_batches_change_nothing(seed, real_file):
    chooser = random.Random(seed)
    data = CORPUS if seed % 2 == 0 else real_file.read_bytes()
    data = corrupted(data, seed) if seed == 2 else data
    whole = game_rows(data)
    assert whole
    cuts = sorted(chooser.sample(range(1, len(data)), 5))
    for threads, batch_rows in [(1, None), (2, 1), (4, 7), (None, 1000)]:
        assert read_table(data, threads=threads, batch_rows=batch_rows).to_pylist() == whole
        pieces = [read_table(data, start=start, stop=stop, threads=threads, batch_rows=batch_rows).to_pylist()
                  for start, stop in zip([0] + cuts, cuts + [None])]
        assert [row for piece in pieces for row in piece] == whole
    for compressed in [gzip.compress(data), bz2.compress(data)]:
        assert read_table(compressed, batch_rows=3).to_pylist() == whole


@pytest.mark.parametrize("uci", [False, True])
def test_position_rows_equal_the_boards_replaying_the_games(uci):
    sources = [CORPUS, corrupted(CORPUS, 7)] + [(path, 16_000) for path in REAL_FILES]
    for source in sources:
        source, stop = source if isinstance(source, tuple) else (source, None)
        table = read_table(source, rows="positions", uci=uci, stop=stop, threads=2, batch_rows=500)
        assert table.to_pylist() == position_rows(source, stop=stop, uci=uci), source


def test_tag_choices(real_file):
    games = list(tarvik.read_pgn(CORPUS))
    assert read_table(CORPUS, tags="all")["tags"].to_pylist() == [list(game.headers.items()) for game in games]
    chosen = read_table(CORPUS, tags=("Black", "Missing", "White"), uci=True)
    assert chosen.to_pylist() == game_rows(CORPUS, tags=["Black", "Missing", "White"], uci=True)
    for options in [{}, {"tags": "all"}, {"tags": []}, {"rows": "positions"}, {"rows": "positions", "uci": True}]:
        table = tarvik.pgn_table(real_file, **options)
        assert pa.schema(table) == read_table(real_file, **options).schema


def test_consumers_read_it_and_numbers_go_to_numpy_without_a_copy(real_file):
    polars = pytest.importorskip("polars")
    duckdb = pytest.importorskip("duckdb")
    expected = read_table(real_file, rows="positions")
    frame = polars.DataFrame(tarvik.pgn_table(real_file, rows="positions"))
    assert frame["zobrist"].to_list() == expected["zobrist"].to_pylist()
    games_table = tarvik.pgn_table(real_file)  # DuckDB finds it by its name
    counts = duckdb.sql("select result, count(*) from games_table group by result").fetchall()
    games = list(tarvik.read_pgn(real_file))
    assert sorted(counts) == sorted((result, sum(game.result == result for game in games))
                                    for result in {game.result for game in games})
    batch = next(iter(pa.RecordBatchReader.from_stream(tarvik.pgn_table(real_file, rows="positions"))))
    for name in ["offset", "zobrist", "ply", "halfmove_clock", "castling"]:
        column = batch.column(name)
        assert column.to_numpy(zero_copy_only=True).ctypes.data == column.buffers()[1].address
    pieces = batch.column("pieces").values.to_numpy(zero_copy_only=True).reshape(-1, 12)
    assert pieces.shape == (batch.num_rows, 12)


def task_count():
    return len(os.listdir("/proc/self/task"))


def test_streams_dropped_unread_or_half_read_leave_no_thread_or_memory(real_file):
    def round_trip(step):
        table = tarvik.pgn_table(real_file, threads=2, batch_rows=50)
        if step == 0:
            table.__arrow_c_stream__()  # a capsule no one consumes
        elif step == 1:
            reader = pa.RecordBatchReader.from_stream(table)
            reader.read_next_batch()  # then the reader is dropped, the workers still busy
        else:
            batch = next(iter(pa.RecordBatchReader.from_stream(table)))
            return batch  # a batch outlives its stream

    tasks = task_count()
    kept = [round_trip(step % 3) for step in range(30)]
    for batch in kept[2::3]:
        batch.validate(full=True)
    del kept
    gc.collect()
    heap = c_heap_bytes()
    for step in range(150):
        round_trip(step % 3)
    gc.collect()
    assert task_count() == tasks
    if heap is not None:
        assert c_heap_bytes() - heap < 4_000_000


def test_the_stream_is_one_shot_and_the_class_not_constructible():
    table = tarvik.pgn_table(CORPUS)
    assert pa.table(table).num_rows == len(GAMES)
    with pytest.raises(ValueError, match="already read"):
        table.__arrow_c_stream__()
    assert pa.schema(table).names[:2] == ["offset", "Event"]  # the schema stays available
    with pytest.raises(TypeError, match="cannot create .tarvik.PgnTable. instances"):
        type(table)()


@pytest.mark.parametrize("options, error", [
    ({"rows": "moves"}, ValueError), ({"rows": 1}, TypeError), ({"tags": "White"}, ValueError),
    ({"tags": ["White", "White"]}, ValueError), ({"tags": ["moves"]}, ValueError), ({"tags": [1]}, TypeError),
    ({"tags": 5}, TypeError), ({"rows": "positions", "tags": ["White"]}, ValueError), ({"threads": 0}, ValueError),
    ({"threads": -1}, ValueError), ({"batch_rows": 0}, ValueError), ({"start": -1}, OverflowError),
])
def test_bad_arguments_fail_at_the_call(options, error):
    with pytest.raises(error):
        tarvik.pgn_table(CORPUS, **options)


def test_sources_that_fail_at_the_call_or_while_read(tmp_path):
    with pytest.raises(FileNotFoundError):
        tarvik.pgn_table(tmp_path / "missing.pgn")
    with pytest.raises(TypeError):
        tarvik.pgn_table(12)

    class Failing:
        def __init__(self):
            self.pieces = [CORPUS]

        def read(self, size=-1):
            if self.pieces:
                return self.pieces.pop()
            raise OSError("the disk caught fire")

    with pytest.raises(OSError, match="caught fire"):
        pa.table(tarvik.pgn_table(Failing(), threads=1))
    cut_short = tarvik.pgn_table(gzip.compress(CORPUS)[:-30], threads=2)
    with pytest.raises(OSError, match="gzip"):
        pa.table(cut_short)


@pytest.mark.parametrize("rows", ["games", "positions"])
def test_hostile_input_builds_valid_tables_in_linear_time(rows):
    texts = [b"(" * 5_000_000, b"{" * 5_000_000, b"1. e4 " + b"( 1. d4 " * 100_000 + b"*",
             b" ".join([b"Nf3 Nf6 Ng1 Ng8"] * 25_000), random.Random(7).randbytes(2_000_000)]
    for text in texts:
        started = time.monotonic()
        table = read_table(text, rows=rows, threads=2)
        assert time.monotonic() - started < 20  # quadratic work on these takes hours
        games = list(tarvik.read_pgn(text, threads=1))
        assert table.num_rows == (len(games) if rows == "games" else sum(len(game.moves) + 1 for game in games))
