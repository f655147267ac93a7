#!/usr/bin/env bash
# The main job: builds everything in Release and runs the demo — a generated
# stereo test signal processed by auhost through every distinct factory
# program of both plug-ins, the flanger's tempo lock and four tilt EQ
# settings, into demo-output/ (one line per file). Installs missing packages
# first. Usage: scripts/run.sh [OUTDIR]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target auhost FlangerUnit TiltEqUnit
build/bin/auhost demo "${1:-demo-output}" FlangerUnit TiltEqUnit
