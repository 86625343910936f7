# What the libFuzzer scripts share; sourced by them. Moves to the repository,
# installs clang from Debian when it is missing, and builds a fuzz target under
# AddressSanitizer and UBSan into build/fuzz.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/setup.sh"
fuzz_out="build/fuzz"

# build_fuzzer NAME SOURCE... [FLAG...]: the target build/fuzz/NAME.
build_fuzzer() {
    local name="$1"
    shift
    ensure_debian_packages clang
    mkdir -p "$fuzz_out"
    clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -Isrc \
        "$@" -o "$fuzz_out/$name"
}
