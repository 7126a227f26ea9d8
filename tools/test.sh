#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#  1. a sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer, clang) of the
#     engine tests, with a bounded fuzz run of the typed-answer reader;
#  2. the normal build: engine tests, window tests (offscreen), and the end-to-end test
#     that drives the real program under Xvfb;
#  3. the end-to-end tests once more on a sanitizer build of the window program;
#  4. the portable builds: clang with libc++ (built and tested), MinGW (compiled);
#  5. the WebAssembly build (emscripten): the browser pages (tools/web.sh), their scripts'
#     type check and format check, and their tests in
#     Chromium, Firefox ESR and WebKitGTK (the engine tests start their own Xvfb for WebKit),
#     then the engine tests and the typed-answer corpus under Node;
#  6. the Debian packages perne and perne-class (which carries the pages of step 5), built
#     with Debian's hardening flags and checked by lintian, desktop-file-validate,
#     appstreamcli and systemd-analyze, and the packaged server serving its pages.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh test

jobs=$(nproc)

echo "== sanitizer build =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    -DPERNE_SANITIZE=ON -DPERNE_FUZZ=ON -DPERNE_BUILD_GUI=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== normal build =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPERNE_BUILD_TESTS=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure

echo "== sanitizer build of the window program: end-to-end tests =="
cmake -S . -B build-asan-gui -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    -DPERNE_SANITIZE=ON -DPERNE_BUILD_GUI=ON >/dev/null
cmake --build build-asan-gui -j "$jobs" --target perne silent_socket
ctest --test-dir build-asan-gui --output-on-failure -L e2e

echo "== portable builds =="
tools/portable.sh

echo "== WebAssembly build =="
# Debian's emscripten finds its JavaScript optimiser through NODE_PATH. Its toolchain names
# Node with a flag today's Node refuses, so the emulator is given plainly.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B build-wasm -G Ninja -DCMAKE_BUILD_TYPE=Release -DPERNE_BUILD_GUI=OFF \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)" >/dev/null
cmake --build build-wasm -j "$jobs"
tools/web.sh
# The pages' scripts first: type-checked (tsc --checkJs, a type error fails) and formatted
# (prettier --check), with the versions tests/web's lock file pins; then the browsers.
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error && npm run --silent check && node --test)
ctest --test-dir build-wasm --output-on-failure -j "$jobs"

echo "== Debian packages =="
tools/package.sh
