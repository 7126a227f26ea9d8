#!/usr/bin/env bash
# Builds the browser edition: build-web/perne.html (one self-contained file, with the service
# worker, manifest and icons beside it for serving over http(s)), and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh >&2

# Debian's emscripten finds its JavaScript optimiser through NODE_PATH.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DPERNE_BUILD_GUI=OFF \
    -DPERNE_BUILD_TESTS=OFF >/dev/null
cmake --build build-web -j "$(nproc)" >&2
echo "$PWD/build-web/perne.html"
