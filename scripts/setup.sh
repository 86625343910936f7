# Sourced by the scripts beside it: finds Python 3.13, builds the module into the
# virtual environment .venv inside the repository, and (for "test") installs what
# the tests need. Safe and quick to run again: only what changed is redone.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

find_python() {
    local candidate
    # The system's python3.13 (a pyenv shim may exist without a 3.13 behind it),
    # then pyenv's own installations.
    for candidate in "$(command -v python3.13 || true)" /root/.pyenv/versions/3.13.*/bin/python3.13; do
        if [ -n "$candidate" ] && [ -x "$candidate" ] &&
            "$candidate" -c 'import sys; sys.exit(sys.version_info[:2] != (3, 13))' 2>/dev/null; then
            echo "$candidate"
            return 0
        fi
    done
    echo "Python 3.13 not found: install python3.13 or a pyenv 3.13.x" >&2
    return 1
}

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# Installs Debian packages that are missing, after refreshing the package lists.
ensure_debian_packages() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

# Installs Python requirements into .venv unless the same set is already there.
ensure_requirements() {
    local stamp=".venv/.requirements-$1"
    shift
    local wanted="$*"
    if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$wanted" ]; then
        .venv/bin/python -m pip install --quiet --disable-pip-version-check "$@"
        echo "$wanted" >"$stamp"
    fi
}

setup_environment() {
    local purpose="$1"
    [ -x .venv/bin/python ] || "$(find_python)" -m venv .venv
    local build_requirements=("scikit-build-core>=0.11")
    command -v cmake >/dev/null || build_requirements+=("cmake>=3.20")
    command -v ninja >/dev/null || build_requirements+=("ninja")
    ensure_requirements build "${build_requirements[@]}"
    # The reference libraries of zstd, gzip and bzip2, for reading compressed corpora
    # (a build without one of them still works, but cannot read that format).
    ensure_debian_packages libzstd-dev zlib1g-dev libbz2-dev pkg-config
    if [ "$purpose" = test ]; then
        # The project's test and bench extras (the suite runs the benchmarks in their
        # smallest form), read from pyproject.toml so the lists live in one place.
        local test_requirements
        mapfile -t test_requirements < <(.venv/bin/python -c 'import tomllib
extras = tomllib.load(open("pyproject.toml", "rb"))["project"]["optional-dependencies"]
print(*extras["test"], *extras["bench"], sep="\n")')
        ensure_requirements test "${test_requirements[@]}"
        # Stockfish for perft totals; Chromium to draw board pictures as a browser does.
        ensure_debian_packages stockfish chromium
    fi
    # Incremental: scikit-build-core keeps its build tree under build/.
    .venv/bin/python -m pip install --quiet --disable-pip-version-check --no-build-isolation .
}

# The engine's native programs (tools and test drivers), built without Python.
build_native() {
    local cmake="cmake"
    command -v cmake >/dev/null || cmake=".venv/bin/cmake"
    "$cmake" -S . -B build/native -DCMAKE_BUILD_TYPE=Release -DTARVIK_BUILD_TOOLS=ON -DTARVIK_BUILD_TESTS=ON >/dev/null
    "$cmake" --build build/native --parallel >/dev/null
}
