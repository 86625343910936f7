# What the libFuzzer scripts share; sourced by them. Moves to the repository,
# installs clang from Debian when it is missing, and builds a fuzz target under
# AddressSanitizer and UBSan into build/fuzz.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
fuzz_out="build/fuzz"

# build_fuzzer NAME SOURCE...: the target build/fuzz/NAME.
build_fuzzer() {
    local name="$1"
    shift
    if ! command -v clang++ >/dev/null; then
        sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
        sudo_if_needed apt-get update -qq
        sudo_if_needed env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang >/dev/null
    fi
    mkdir -p "$fuzz_out"
    clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -Isrc \
        "$@" -o "$fuzz_out/$name"
}
