#!/usr/bin/env bash
# The benchmarks: time per stereo sample frame ("per_frame") of the engines
# alone and of whole render calls of each unit, then auhost against sox on
# the same 60-second stereo float file. Usage: scripts/bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
command -v sox >/dev/null && command -v bc >/dev/null || { sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"; $sudo apt-get install -y -q sox bc; }
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVOK_TESTS=OFF -DVOK_BENCHMARKS=ON >/dev/null
cmake --build build-bench -j "$(nproc)" --target engine_bench render_bench auhost FlangerUnit TiltEqUnit
build-bench/bench/engine_bench
build-bench/bench/render_bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox -n -r 44100 -c 2 -e floating-point -b 32 "$work/in.wav" synth 60 pinknoise vol 0.5
seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null 2>&1; end=$(date +%s.%N); echo "$end - $start" | bc; }
best() { local b=999 t; for _ in 1 2 3; do t=$(seconds "$@"); b=$(echo "if ($t < $b) $t else $b" | bc); done; echo "$b"; }
auhost=build-bench/bin/auhost
flanger=$(best "$auhost" process FlangerUnit "$work/in.wav" "$work/a.wav")
soxFlanger=$(best sox "$work/in.wav" "$work/b.wav" flanger)
tilt=$(best "$auhost" process TiltEqUnit "$work/in.wav" "$work/c.wav")
soxTilt=$(best sox "$work/in.wav" "$work/d.wav" bass +6 300 treble -6 1000)
printf 'auhost FlangerUnit %ss, sox flanger %ss, ratio %s\n' "$flanger" "$soxFlanger" "$(echo "scale=3; $flanger / $soxFlanger" | bc)"
printf 'auhost TiltEqUnit  %ss, sox bass/treble %ss, ratio %s\n' "$tilt" "$soxTilt" "$(echo "scale=3; $tilt / $soxTilt" | bc)"
