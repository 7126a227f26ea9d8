#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#  1. a sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer, clang) of the
#     engine tests, with a bounded fuzz run of the typed-answer reader;
#  2. the normal build: engine tests, window tests (offscreen), and the end-to-end test
#     that drives the real program under Xvfb;
#  3. the end-to-end tests once more on a sanitizer build of the window program.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

jobs=$(nproc)

echo "== sanitizer build =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    -DPERNE_SANITIZE=ON -DPERNE_FUZZ=ON -DPERNE_BUILD_GUI=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== normal build =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure

echo "== sanitizer build of the window program: end-to-end tests =="
cmake -S . -B build-asan-gui -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    -DPERNE_SANITIZE=ON -DPERNE_BUILD_GUI=ON >/dev/null
cmake --build build-asan-gui -j "$jobs" --target perne silent_socket
ctest --test-dir build-asan-gui --output-on-failure -L e2e
