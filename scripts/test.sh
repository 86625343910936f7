#!/usr/bin/env bash
# Builds the module and the native test programs, then runs the whole test suite on
# every core (pytest-xdist). Arguments are passed on to pytest; `-n 0` runs the
# tests in one process.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
setup_environment test
build_native
export TARVIK_NATIVE_DIR="$repo/build/native"
export PATH="$PATH:/usr/games"  # Debian installs stockfish there
exec .venv/bin/python -m pytest -n auto "$@"
