#!/usr/bin/env bash
# The benchmarks: time per stereo sample frame ("per_frame") of the engines
# alone and of whole render calls of each unit, the time to read a large
# saved state (per key), then auhost against sox on
# the same 60-second stereo float file. Usage: scripts/bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
missing=()
for tool in sox hyperfine; do command -v "$tool" >/dev/null || missing+=("$tool"); done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get install -y -q "${missing[@]}"
fi
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVOK_TESTS=OFF -DVOK_BENCHMARKS=ON >/dev/null
cmake --build build-bench -j "$(nproc)" --target engine_bench render_bench property_list_bench auhost FlangerUnit TiltEqUnit
build-bench/bench/engine_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
build-bench/bench/render_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
build-bench/bench/property_list_bench

# Whole commands side by side, each pair in one hyperfine run (20 runs each),
# then the ratio of auhost's time to sox's: below 1 means auhost is faster.
# Each run writes a new file, the common case (auhost syncs a file it
# replaces to disk first, which sox does not).
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox -n -r 44100 -c 2 -e floating-point -b 32 "$work/in.wav" synth 60 pinknoise vol 0.5
auhost=build-bench/bin/auhost
source bench/compare.sh
compare "auhost FlangerUnit" "$auhost process FlangerUnit $work/in.wav $work/out.wav" \
        "sox flanger" "sox $work/in.wav $work/out.wav flanger"
compare "auhost TiltEqUnit" "$auhost process TiltEqUnit $work/in.wav $work/out.wav" \
        "sox bass/treble" "sox $work/in.wav $work/out.wav bass +6 300 treble -6 1000"
printf '\nMeasured on %s (%s cores, load %s):\n' "$(uname -n)" "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"
cat "$work/ratios"
