#!/usr/bin/env bash
# The engine away from Debian's usual toolchain, as guards for the test command:
#  1. clang with LLVM's libc++ (the standard library macOS uses): runtime/, sim/, stats/ and
#     cli/ built and their tests run (GoogleTest built from source with libc++ as well), forms/
#     compiled;
#     perne-class is left out: Debian's cpp-httplib is a library built against libstdc++.
#  2. MinGW-w64 (Windows): every source of runtime/, sim/, stats/ and cli/ compiled
#     (the libc++ build above has generated the program's version header), nothing linked or run.
# Called by tools/test.sh after install-deps; can be run alone once the packages are there.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=2

echo "== libc++ build (clang) =="
cmake -S . -B build-libcxx -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_FLAGS="-stdlib=libc++" -DCMAKE_EXE_LINKER_FLAGS="-stdlib=libc++" \
    -DPERNE_BUILD_GUI=OFF -DPERNE_BUILD_SERVER=OFF -DPERNE_GTEST_FROM_SOURCE=ON >/dev/null
cmake --build build-libcxx -j "$jobs"
ctest --test-dir build-libcxx --output-on-failure -j "$jobs"

# forms/ is headers only, read by the front ends; one file that includes them all.
forms=$(mktemp --suffix=.cpp)
trap 'rm -f "$forms"' EXIT
for h in forms/*.h; do echo "#include \"$(basename "$h")\""; done >"$forms"
clang++ -stdlib=libc++ -std=c++20 -Wall -Wextra -Wpedantic -Wshadow -Werror \
    -Iruntime -Isim -Iforms -fsyntax-only "$forms"

echo "== MinGW compile (x86_64-w64-mingw32, posix threads) =="
cxx=x86_64-w64-mingw32-g++-posix
sources=(runtime/*.cpp sim/*.cpp stats/*.cpp cli/*.cpp)
for source in "${sources[@]}" "$forms"; do
    $cxx -std=c++20 -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Werror \
        -Iruntime -Isim -Iforms -Istats -Icli -Ibuild-libcxx/cli -fsyntax-only "$source"
done
echo "MinGW: ${#sources[@]} sources and the forms headers compile"
