#!/usr/bin/env bash
# Installs what the benchmarks need (python-chess, the native peers bulletchess,
# chessmg, nchess, esca and rust-pgn-reader-python-binding, Debian's stockfish and
# zstd), builds the module and the native tools, then prints the tables. Arguments
# go to bench/bench.py; --quick runs every table with tiny sizes.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/setup.sh"
setup_environment test
build_native
export TARVIK_NATIVE_DIR="$repo/build/native"
export PATH="$PATH:/usr/games"  # Debian installs stockfish there
exec .venv/bin/python bench/bench.py "$@"
