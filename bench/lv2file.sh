#!/usr/bin/env bash
# Our LV2 plug-ins against peers in the same LV2 batch host, lv2file, on the
# same 60-second stereo float file, each pair side by side in one hyperfine
# run: FlangerUnit against Calf Flanger, TiltEqUnit against x42's fil4 with
# its two shelves (+6 dB at 300 Hz, -6 dB at 1 kHz) and nothing else on.
# Prints the ratio of our time to the peer's: below 1 means ours is faster.
# Usage: bench/lv2file.sh [RUNS] (default 20); BUILD_DIR=build uses that
# Release build instead of making build-bench.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
build=${BUILD_DIR:-build-bench}

scripts/install-deps.sh
missing=()
for package in sox hyperfine lv2file calf-plugins x42-plugins; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
[ -d "$build" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVOK_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target FlangerUnit_lv2_bundle TiltEqUnit_lv2_bundle

# Each command sees only its own bundles, so that none pays for reading
# the others' Turtle.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/ours" "$work/calf" "$work/x42"
ln -s "$PWD/$build"/lv2/*.lv2 "$work/ours/"
ln -s /usr/lib/lv2/calf.lv2 "$work/calf/"
ln -s /usr/lib/lv2/fil4.lv2 "$work/x42/"
sox -n -r 44100 -c 2 -e floating-point -b 32 "$work/in.wav" synth 60 pinknoise vol 0.5

lv2file() { # LV2-FOLDER then lv2file's arguments after the files
    local folder=$1
    shift
    echo "env LV2_PATH=$work/$folder lv2file --ignore-clipping -i $work/in.wav -o $work/out.wav $*"
}
source bench/compare.sh
compare "lv2file FlangerUnit" "$(lv2file ours urn:quim:lv2:FlangerUnit)" \
        "lv2file Calf Flanger" "$(lv2file calf http://calf.sourceforge.net/plugins/Flanger)"
compare "lv2file TiltEqUnit" "$(lv2file ours urn:quim:lv2:TiltEqUnit)" \
        "lv2file x42 fil4 (two shelves)" \
        "$(lv2file x42 -p enable:1 -p HighPass:0 -p LowPass:0 -p sec1:0 -p sec2:0 -p sec3:0 -p sec4:0 \
            -p LSsec:1 -p LSfreq:300 -p LSgain:6 -p HSsec:1 -p HSfreq:1000 -p HSgain:-6 \
            http://gareus.org/oss/lv2/fil4#stereo)"
printf '\nMeasured on %s (%s cores, load %s):\n' "$(uname -n)" "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"
cat "$work/ratios"
