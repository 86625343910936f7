#!/usr/bin/env bash
# Coverage-guided fuzzing of the PGN reader with libFuzzer, for longer runs by hand:
#
#   bash tests/fuzz/run_pgn_fuzz.sh [SECONDS] [libFuzzer options...]
#
# Installs clang from Debian when it is missing, builds tests/fuzz/pgn_fuzz.cpp with
# the reader and the decompressing sources under AddressSanitizer and UBSan, seeds
# a corpus with small PGN texts full of what real files hold, and runs for SECONDS
# (default 300). The corpus stays in build/fuzz/pgn-corpus; a crash leaves its
# input in build/fuzz.
source "$(dirname "${BASH_SOURCE[0]}")/libfuzzer.sh"
seconds="${1:-300}"
shift || true

ensure_debian_packages libzstd-dev zlib1g-dev libbz2-dev zstd gzip bzip2
build_fuzzer pgn-fuzz src/board/*.cpp src/game/*.cpp src/corpus/byte_source.cpp src/corpus/game_pipeline.cpp src/corpus/decoders.cpp \
    src/corpus/decompress.cpp tests/fuzz/pgn_fuzz.cpp -DTARVIK_HAVE_ZSTD=1 -DTARVIK_HAVE_ZLIB=1 -DTARVIK_HAVE_BZIP2=1 \
    -lzstd -lz -lbz2
mkdir -p "$fuzz_out/pgn-corpus"

# Seeds: the first two bytes pick the piece size and the cut; then PGN text.
seed() { printf '\x07\x80%s' "$1" >"$fuzz_out/pgn-corpus/$(printf '%s' "$1" | md5sum | cut -c1-16)"; }
seed $'[Event "a \\"b\\""]\n[FEN "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1"]\n\n1. b8=Q+ {check} (1. b8N $1) 1... Kd7 1-0\n'
seed $'\xef\xbb\xbf% escape\r\n[White "x"]\r\n\r\n1. e4 e5 2. Nf3!? { [%clk 0:01:00] [%eval #-3] } Nc6 *\r\n1-0\n'
seed $'1. e4 ( 1. d4 ( 1. c4 ) d5 ) e5 2. O-O-O?? -- Z0 N@e4 ; rest\n\n{ comment }\n\n1. d4 0-1\n[Event "b"]\n1. e4'
# And compressed, so that the decoders meet data that is nearly right from the start.
for tool in zstd gzip bzip2; do
    { printf '\x07\x80'; printf '[Event "x"]\n\n1. e4 e5 *\n\n1. d4 1-0\n' | "$tool" -c; } >"$fuzz_out/pgn-corpus/$tool"
done
exec "$fuzz_out/pgn-fuzz" -max_total_time="$seconds" -artifact_prefix="$fuzz_out/" "$@" "$fuzz_out/pgn-corpus"
