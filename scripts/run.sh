#!/usr/bin/env bash
# The main job for now: builds the engines and units in Release and runs
# their benchmarks, which report the time per stereo sample frame
# ("per_frame"): the engines alone, then whole render calls of each unit.
# Installs missing packages first. Usage: scripts/run.sh [benchmark options]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVOK_TESTS=OFF -DVOK_BENCHMARKS=ON >/dev/null
cmake --build build-bench -j "$(nproc)" --target engine_bench render_bench
build-bench/bench/engine_bench "$@"
build-bench/bench/render_bench "$@"
