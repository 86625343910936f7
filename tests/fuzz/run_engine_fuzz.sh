#!/usr/bin/env bash
# Coverage-guided fuzzing of the engine with libFuzzer, for longer runs by hand:
#
#   bash tests/fuzz/run_engine_fuzz.sh [SECONDS] [libFuzzer options...]
#
# Installs clang from Debian when it is missing, builds tests/fuzz/engine_fuzz.cpp
# with the engine under AddressSanitizer and UBSan, seeds a corpus with FEN texts
# and runs for SECONDS (default 300). The corpus stays in build/fuzz/corpus, so a
# later run goes on where this one stopped; a crash leaves its input in build/fuzz.
source "$(dirname "${BASH_SOURCE[0]}")/libfuzzer.sh"
seconds="${1:-300}"
shift || true

build_fuzzer engine-fuzz src/board/*.cpp src/book/*.cpp src/picture/*.cpp tests/fuzz/engine_fuzz.cpp
mkdir -p "$fuzz_out/corpus"

# Seeds: known positions, each followed by a few operation bytes.
for fen in "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1" \
           "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1" \
           "4k3/8/8/2pPp3/8/8/8/4K3 w - e6 0 1" "r3k2r/1P4P1/8/8/8/8/8/R3K2R b KQkq - 0 1"; do
    printf '%s\n\x07\x01\x07\x02\x01\x00\x09\x00\x0a\x05' "$fen" >"$fuzz_out/corpus/$(echo "$fen" | md5sum | cut -c1-16)"
done
exec "$fuzz_out/engine-fuzz" -max_total_time="$seconds" -artifact_prefix="$fuzz_out/" "$@" "$fuzz_out/corpus"
