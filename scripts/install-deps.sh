#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need,
# skipping what is already there. Usage: scripts/install-deps.sh
set -euo pipefail

packages=(cmake ninja-build g++ clang clang-format libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
          pkg-config libplist-dev libexpat1-dev libsndfile1-dev
          libcairo2-dev libpixman-1-dev libpng-dev libgdk-pixbuf-2.0-dev fonts-liberation
          libx11-dev libxfixes-dev xvfb xdotool
          lv2-dev liblilv-dev sordi lv2file)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
