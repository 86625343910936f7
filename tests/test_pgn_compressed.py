"""Compressed PGN: zstd, gzip and bzip2 data, read as a path, as bytes and as a file object, gives the
games of the plain text, with offsets in that text; data cut short or corrupt gives the games before the
break and then an error naming the file and the offset in the text where it broke."""

import bz2
import gzip
import io
import pathlib
import random
import re

import pytest
import zstandard

from tarvik import read_pgn

REAL_FILES = sorted((pathlib.Path(__file__).resolve().parents[2] / "shared" / "realworld-data").glob("*.pgn"))
# Checksums on, so that a changed byte is caught wherever it lies.
COMPRESSORS = {"zstd": zstandard.ZstdCompressor(write_checksum=True).compress, "gzip": gzip.compress,
               "bzip2": bz2.compress}
# A zstd frame that readers pass over, as parallel writers put before each frame.
SKIPPABLE_FRAME = b"\x50\x2a\x4d\x18" + (4).to_bytes(4, "little") + b"skip"


def generated_corpus():
    """Games full of what real files hold, names beyond ASCII included."""
    rng = random.Random(11)
    openings = ["1. e4 e5 2. Nf3 Nc6 3. Bb5 a6", "1. d4 d5 2. c4 e6 3. Nc3 Nf6", "1. c4 e5 2. g3 Nf6 3. Bg2 d5"]
    extras = ["", "{ a [%clk 0:03:12] comment }", "$1 $14", "(3. d4 exd4)", "Qxh7", "4. O-O {Ślązak} Be7",
              "; the rest of a line\n", "{ never closed"]
    games = []
    for i in range(6000):
        tags = f'[Event "Łódź {i}"]\n[White "Müller"]\n[Round "{i}"]\n'
        movetext = f"{rng.choice(openings)} {rng.choice(extras)} {rng.choice(['1-0', '0-1', '*', '1/2-1/2'])}"
        game = f"{tags}\n{movetext}\n\n"
        games.append(game.replace("\n", "\r\n") if i % 7 == 0 else game)
    return "".join(games).encode()


def real_corpus():
    """The real files, the large ones cut short, end to end."""
    if not REAL_FILES:
        pytest.skip("../shared/realworld-data is absent")
    return b"".join(path.read_bytes()[:100_000] for path in REAL_FILES)


CORPORA = {"generated": generated_corpus, "real": real_corpus}


def summary(games):
    return [(game.offset, str(game), game.comments, game.errors) for game in games]


def compressed_variants(plain):
    """Each format whole, and as two frames, members or streams end to end (zstd's after a skippable frame)."""
    cut = len(plain) // 3
    for name, compress in COMPRESSORS.items():
        yield name, compress(plain)
        yield f"{name} in two parts", (SKIPPABLE_FRAME if name == "zstd" else b"") + compress(plain[:cut]) + compress(
            plain[cut:])


@pytest.mark.parametrize("corpus", CORPORA)
def test_compressed_data_reads_as_its_text(tmp_path, corpus):
    plain = CORPORA[corpus]()
    path = tmp_path / "games.pgn"
    path.write_bytes(plain)
    expected = summary(read_pgn(path))
    cuts = [(start, start + length) for start, length in
            [(0, 1), (1, 40_000), (len(plain) // 2, 100_000), (len(plain) - 3000, 10**9)]]
    if corpus == "generated":  # read(n) of a text file gives n characters: beyond a megabyte, more than n bytes
        assert summary(read_pgn(io.StringIO((plain * 2).decode()))) == summary(read_pgn(plain * 2))
    for variant, data in compressed_variants(plain):
        path.write_bytes(data)
        for kind, source, threads in [("path", path, 1), ("bytes", data, 1), ("file object", io.BytesIO(data), 1),
                                      ("path, on two threads", path, 2)]:
            assert summary(read_pgn(source, threads=threads)) == expected, (variant, kind)
        for start, stop in cuts:
            wanted = [game for game in expected if start <= game[0] < stop]
            assert summary(read_pgn(path, start=start, stop=stop)) == wanted, (variant, start, stop)
            assert summary(read_pgn(bytearray(data), start=start, stop=stop)) == wanted, (variant, start, stop)


def read_until_broken(source, threads=1):
    """The games read before the error, and the error."""
    games = []
    with pytest.raises((EOFError, OSError)) as failure:
        for game in read_pgn(source, threads=threads):
            games.append(game)
    return summary(games), failure


def test_data_cut_short_or_followed_by_garbage_gives_the_games_before_the_break(tmp_path):
    plain = generated_corpus()
    everything = summary(read_pgn(plain))

    def broken_at(source, name, kind, error_type, threads=1):
        """Where the text broke, the error and the games before it checked."""
        games, failure = read_until_broken(source, threads)
        match = re.fullmatch(rf"{re.escape(name)}: (\w+) data is {kind} after ([\d,]+) bytes of text(: .+)?",
                             str(failure.value))
        assert failure.type is error_type and match, str(failure.value)
        offset = int(match[2].replace(",", ""))
        before = summary(read_pgn(plain[:offset]))
        whole = next((i for i, (one, other) in enumerate(zip(before, everything)) if one != other), len(before))
        # Every game known to be whole before the break: the last one read whole from the text before the
        # break may still go on there, unless a line that must begin a game follows it.
        assert games == everything[:len(games)] and len(games) >= whole - 1, (name, offset)
        return offset

    rng = random.Random(3)
    for name, compress in COMPRESSORS.items():
        data = compress(plain)
        path = tmp_path / f"games.pgn.{name}"
        for cut in [rng.randrange(len(data)) for _ in range(6)] + [len(data) - 1]:
            path.write_bytes(data[:cut])
            assert broken_at(path, str(path), "truncated", EOFError) <= len(plain)
        assert broken_at(data[:-1], "<bytes>", "truncated", EOFError) <= len(plain)
        assert broken_at(data[:-1], "<bytes>", "truncated", EOFError, threads=2) <= len(plain)
        assert broken_at(io.BytesIO(data[:-1]), "<BytesIO>", "truncated", EOFError) <= len(plain)
        # A whole stream, then bytes of no format: the break lies exactly at the end of the text.
        path.write_bytes(compress(plain[:500_000]) + b"\x00 no stream")
        assert broken_at(path, str(path), "corrupt", OSError) == 500_000


@pytest.mark.parametrize("name", COMPRESSORS)
def test_a_changed_byte_anywhere_is_an_error(name):
    data = COMPRESSORS[name](generated_corpus()[:200_000])
    for at in random.Random(5).sample(range(len(data)), 12):
        changed = bytearray(data)
        changed[at] ^= 0x41
        _, failure = read_until_broken(changed)
        assert str(failure.value).startswith(f"<bytearray>: {name} data is "), at


@pytest.mark.parametrize("data, outcome", [
    (b"", None), (b"\x28\xb5\x2f\xfd", "zstd"), (b"\x1f\x8b", "gzip"), (b"BZh9", "bzip2"),
    (b"BZh", None), (b"BZh0 is no bzip2 block size", None)])
def test_empty_files_and_files_of_a_magic_number_alone(tmp_path, data, outcome):
    path = tmp_path / "games.pgn"
    path.write_bytes(data)
    if outcome is None:  # text, read as such
        assert len(list(read_pgn(path))) == (1 if data else 0)
    else:
        with pytest.raises(EOFError, match=rf"games\.pgn: {outcome} data is truncated after 0 bytes of text$"):
            next(read_pgn(path))


def test_a_failed_read_of_a_file_object_leaves_the_decompression_as_it_was():
    plain = generated_corpus()
    data = COMPRESSORS["gzip"](plain)

    class Flaky(io.BytesIO):
        calls = 0

        def read(self, size):
            self.calls += 1
            if self.calls % 3 == 0:
                raise OSError("not now")
            return super().read(min(size, 2000))

    reader, games, failures = read_pgn(Flaky(data), threads=1), [], 0
    while True:
        try:
            games.append(next(reader))
        except StopIteration:
            break
        except OSError as error:
            assert str(error) == "not now"
            failures += 1
    assert summary(games) == summary(read_pgn(plain)) and failures > 5
