#!/usr/bin/env bash
# Builds and runs the whole test suite: a normal Release build, an
# AddressSanitizer + UndefinedBehaviorSanitizer build, a ThreadSanitizer build
# of the concurrency tests, and a short libFuzzer run of every fuzz target.
# Installs missing packages first.
# Usage: scripts/test.sh   (FUZZ_SECONDS=N to fuzz longer per target; 0 skips)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

step() { printf '\n== %s ==\n' "$*"; }

step "Release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

step "AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOK_SANITIZE=address,undefined >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

step "ThreadSanitizer build and the concurrency tests"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOK_SANITIZE=thread >/dev/null
cmake --build build-tsan -j "$jobs" --target au_tests corefoundation_tests
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -R 'RealTime\.Notifications|SeveralThreads'

fuzz_seconds=${FUZZ_SECONDS:-30}
if [ "$fuzz_seconds" -gt 0 ]; then
    step "Fuzz targets, ${fuzz_seconds} s each"
    CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOK_TESTS=OFF \
        -DVOK_FUZZERS=ON -DVOK_SANITIZE=address,undefined >/dev/null
    cmake --build build-fuzz -j "$jobs" --target engine_fuzzer property_list_fuzzer state_fuzzer automation_fuzzer
    for fuzzer in build-fuzz/tests/fuzz/*_fuzzer; do
        name=$(basename "$fuzzer" _fuzzer)
        corpus="build-fuzz/corpus/$name"
        mkdir -p "$corpus"
        # Seeds kept in the tree, where a target has them.
        seeds=()
        [ -d "tests/fuzz/corpus/$name" ] && seeds=("tests/fuzz/corpus/$name")
        "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=1 "$corpus" "${seeds[@]}" 2>&1 | tail -n 3
    done
fi

step "All tests passed"
