"""read_pgn on worker threads: the same games, in the same order, as one thread reads, from every kind of source
and byte range; and workers that stop with their reader."""

import gc
import io
import os
import random
import threading
import time

import pytest

import tarvik
from conftest import c_heap_bytes
from test_pgn import REAL_FILES, quirky, random_node_game


def fingerprint(games):
    return [(game.offset, str(game), game.errors, game.clocks, game.evals, game.mates) for game in games]


def native_threads():
    return len(os.listdir("/proc/self/task"))


@pytest.fixture(scope="module")
def corpus():
    """A few megabytes, so that it is cut into many stretches: generated games with comments, variations, errors
    and quirks, between the real files."""
    rng = random.Random(3)
    generated = "\n\n".join(quirky(str(random_node_game(rng)), rng) for _ in range(60)).encode()
    broken = b'[Event "x"]\n\n1. e4 e5 2. Ke3 {illegal} *\n\n1. d4 {never closed\n[Event "y"]\n1. Qh5 *\n\n'
    real = b"\n\n".join(path.read_bytes() for path in REAL_FILES)
    return (generated + b"\n\n" + broken) * 70 + real


@pytest.mark.parametrize("threads", [2, 3, None])
def test_threads_read_the_games_one_thread_reads(corpus, threads):
    assert len(corpus) > 3_000_000  # stretches of about half a megabyte: several
    whole = fingerprint(tarvik.read_pgn(corpus, threads=1))
    assert fingerprint(tarvik.read_pgn(corpus, threads=threads)) == whole


def test_every_source_and_byte_range_reads_the_same_on_threads(corpus, tmp_path):
    path = tmp_path / "corpus.pgn"
    path.write_bytes(corpus)
    rng = random.Random(5)
    cuts = sorted(rng.sample(range(1, len(corpus)), 5))
    for start, stop in zip([0, *cuts], [*cuts, None]):
        one = fingerprint(tarvik.read_pgn(path, start=start, stop=stop, threads=1))
        assert fingerprint(tarvik.read_pgn(path, start=start, stop=stop, threads=2)) == one
        assert fingerprint(tarvik.read_pgn(corpus, start=start, stop=stop, threads=2)) == one
    whole = fingerprint(tarvik.read_pgn(path, threads=1))
    assert fingerprint(tarvik.read_pgn(io.BytesIO(corpus), threads=2)) == whole
    def text_read(threads):  # offsets of the text as read() gives it: newlines translated
        with open(path, encoding="utf-8", errors="replace") as text:
            return fingerprint(tarvik.read_pgn(text, threads=threads))
    assert text_read(2) == text_read(1)


def test_headers_only_on_threads(corpus):
    one = [(game.offset, game.headers) for game in tarvik.read_pgn(corpus, headers_only=True, threads=1)]
    assert [(game.offset, game.headers) for game in tarvik.read_pgn(corpus, headers_only=True, threads=2)] == one


def test_workers_stop_with_their_reader_and_leave_no_memory(corpus):
    before = native_threads()
    reader = tarvik.read_pgn(corpus, threads=4)
    next(reader)
    assert native_threads() >= before + 4
    del reader
    assert native_threads() == before
    heap = c_heap_bytes()
    for rounds in range(40):  # readers dropped at every stage of a read
        for taken, game in enumerate(tarvik.read_pgn(corpus, threads=2)):
            if taken == rounds * 50:
                break
    del game
    gc.collect()
    assert native_threads() == before
    if heap is not None:
        assert c_heap_bytes() - heap < 4_000_000


def test_an_exception_of_the_stream_ends_reading_and_the_workers(corpus):
    class Failing(io.BytesIO):
        def read(self, size=-1):
            if self.tell() > len(corpus) // 2:
                raise OSError("the disk is gone")
            return super().read(size)

    before = native_threads()
    games = []
    with pytest.raises(OSError, match="the disk is gone"):
        for game in tarvik.read_pgn(Failing(corpus), threads=2):
            games.append(game.offset)
    assert games == [game.offset for game in tarvik.read_pgn(corpus, threads=1)][:len(games)]
    assert native_threads() == before


def test_a_keyboard_interrupt_stops_a_threaded_read():
    # Seconds of hostile games: the interrupt must not wait for them all.
    game = b'[Event "deep"]\n\n1. e4 ' + b"( 1. d4 " * 30_000 + b"*\n\n"
    before = native_threads()
    timer = threading.Timer(0.2, lambda: os.kill(os.getpid(), 2))
    timer.start()
    started = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        for _ in tarvik.read_pgn(game * 500, threads=2):
            pass
    assert time.monotonic() - started < 5
    timer.join()
    assert native_threads() <= before + 2  # the workers finish the stretch they hold, then stop


@pytest.mark.parametrize("threads", [0, -1, 1.5, "2"])
def test_a_thread_count_must_be_a_positive_int(threads):
    with pytest.raises((ValueError, TypeError)):
        tarvik.read_pgn(b"", threads=threads)
