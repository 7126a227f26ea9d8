#!/usr/bin/env bash
# Installs, with apt, what this machine lacks:
#   install-deps.sh run    what building and running the program needs (tools/run.sh)
#   install-deps.sh test   that and the test toolchain as well (tools/test.sh)
# Does nothing when everything is already there. One package per line, so that lists grown
# on different branches merge cleanly.
set -euo pipefail

# Building and running the program.
run_packages=(
    build-essential
    cmake
    ninja-build
    pkg-config
    qt6-base-dev
    qt6-multimedia-dev
    qt6-qpa-plugins
    qt6-wayland
    qt6-translations-l10n
    libgl-dev
    libpulse-dev
    fonts-ipafont-gothic
    libcpp-httplib-dev
    libsqlite3-dev
    libqrencode-dev
    nlohmann-json3-dev
    libssl-dev
)

# Testing: engine tests, sanitizers and fuzzing, the libc++ and MinGW builds, the windows
# under Xvfb, the WebAssembly build and the browser, the Debian package and its checks.
test_packages=(
    libgtest-dev
    qt6-base-private-dev
    libgmock-dev
    libbenchmark-dev
    clang
    libclang-rt-14-dev
    libc++-14-dev
    libc++abi-14-dev
    g++-mingw-w64-x86-64-posix
    xvfb
    xdotool
    x11-apps
    x11-utils
    imagemagick
    gdb
    bc
    emscripten
    chromium
    firefox-esr
    webkit2gtk-driver
    dpkg-dev
    file
    lintian
    desktop-file-utils
    appstream
    systemd
    nodejs
    openssl
)

case "${1:-test}" in
run) packages=("${run_packages[@]}") ;;
test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac

# npm installs the page tests' browser driver; some Node packages bring their own npm.
if [ "${1:-test}" = test ] && ! command -v npm >/dev/null; then
    packages+=(npm)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
