#!/usr/bin/env bash
# Builds and runs the whole test suite: a formatting check, a Release build
# (GCC) and its tests, one clang AddressSanitizer + UndefinedBehaviorSanitizer
# build serving both the tests and the libFuzzer targets, a ThreadSanitizer
# build (GCC) of the framework, unit, platform and host suites, and a short run of every
# fuzz target. Installs missing packages first.
# Usage: scripts/test.sh   (FUZZ_SECONDS=N to fuzz longer per target; 0 skips)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)
# Sanitizer builds: enough optimisation to run the suite quickly, line
# tables for the reports.
sanitizer_flags="-O1 -g1"

step() { printf '\n== %s ==\n' "$*"; }

step "Formatting (clang-format)"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

step "Release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

step "AddressSanitizer + UndefinedBehaviorSanitizer build (clang) and tests"
CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$sanitizer_flags" -DVOK_SANITIZE=address,undefined -DVOK_FUZZERS=ON >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

# GCC: its ThreadSanitizer runtime is a shared library, so the tests' own
# operator new (the allocation counter) replaces the runtime's; clang's
# static runtime would clash with it.
step "ThreadSanitizer build and the framework, unit, platform and host suites"
tsan_suites=(au/au_tests core/units_tests platform/corefoundation/corefoundation_tests
             platform/components/components_tests platform/audiounit/audiounit_tests host/host_tests)
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$sanitizer_flags" -DVOK_SANITIZE=thread >/dev/null
cmake --build build-tsan -j "$jobs" --target "${tsan_suites[@]##*/}"
for suite in "${tsan_suites[@]}"; do
    echo "${suite##*/}"
    TSAN_OPTIONS=halt_on_error=1 "build-tsan/tests/$suite" --gtest_brief=1
done

fuzz_seconds=${FUZZ_SECONDS:-20}
if [ "$fuzz_seconds" -gt 0 ]; then
    step "Fuzz targets, ${fuzz_seconds} s each"
    for fuzzer in build-asan/tests/fuzz/*_fuzzer; do
        name=$(basename "$fuzzer" _fuzzer)
        corpus="build-asan/corpus/$name"
        mkdir -p "$corpus"
        # Seeds kept in the tree, where a target has them.
        seeds=()
        [ -d "tests/fuzz/corpus/$name" ] && seeds=("tests/fuzz/corpus/$name")
        log="build-asan/corpus/$name.log"
        if ! "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=1 "$corpus" "${seeds[@]}" >"$log" 2>&1
        then
            tail -n 40 "$log"
            echo "$name: the fuzzer found a failure (input saved as crash-*, log in $log)"
            exit 1
        fi
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        printf '%-14s %9s runs in %s s, %s inputs in the corpus\n' "$name" "$runs" "$fuzz_seconds" \
            "$(find "$corpus" -type f | wc -l)"
    done
fi

step "All tests passed"
