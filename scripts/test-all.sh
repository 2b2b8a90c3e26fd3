#!/usr/bin/env bash
# Builds and tests everything the way CI does: warnings as errors, the tests plain, under
# AddressSanitizer with UndefinedBehaviorSanitizer, the threaded tests under ThreadSanitizer,
# and each fuzz target for a short while.
#   FUZZ_SECONDS  how long each fuzz target runs (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-60}

stage() { printf '\n==== %s\n' "$*"; }

configure_and_build() {
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DTHRUMBLEWORX_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

stage "formatting"
scripts/check-format.sh

stage "build and test"
configure_and_build build
ctest --test-dir build --output-on-failure -j "$jobs"

stage "AddressSanitizer and UndefinedBehaviorSanitizer"
configure_and_build build-asan -DTHRUMBLEWORX_SANITIZE=address,undefined -DTHRUMBLEWORX_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE "slow"

stage "ThreadSanitizer"
# The threaded tests are all in the core; the windowed parts are left out of this build.
configure_and_build build-tsan -DTHRUMBLEWORX_SANITIZE=thread -DTHRUMBLEWORX_BENCH=OFF -DTHRUMBLEWORX_GUI=OFF
# ThreadSanitizer needs a fixed address space layout on kernels with wide mmap randomisation.
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    setarch "$(uname -m)" -R ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L threads

stage "fuzzing, ${fuzz_seconds} s per target"
CC=clang CXX=clang++ configure_and_build build-fuzz -DTHRUMBLEWORX_FUZZ=ON -DTHRUMBLEWORX_BENCH=OFF
for target in build-fuzz/fuzz/*_fuzz; do
    name=$(basename "$target")
    corpus=$(mktemp -d)
    cp fuzz/corpus/"${name%_fuzz}"/* "$corpus"/ 2>/dev/null || true
    "$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 "$corpus" 2>&1 | tail -n 12
    rm -rf "$corpus"
done

stage "all stages passed"
