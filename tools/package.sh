#!/usr/bin/env bash
# Builds the Debian packages with Debian's hardening flags and checks them as a distribution
# would: lintian (no errors, no warnings), desktop-file-validate on the menu entry,
# appstreamcli on the metainfo, systemd-analyze on the class server's unit; then runs the
# packaged programs, and the packaged perne-class serves its packaged pages on 127.0.0.1.
# Leaves build-deb/perne_<version>_<arch>.deb and build-deb/perne-class_<version>_<arch>.deb.
# The class server's package carries the pages, so the WebAssembly build comes first
# (tools/web.sh, which makes build-web/). Called by tools/test.sh after that.
set -euo pipefail
cd "$(dirname "$0")/.."

pages="$PWD/build-web"
for page in perne.html perne-stats.html sw.js perne.webmanifest perne-stats.webmanifest \
    icons/perne-192.png icons/perne-512.png; do
    if [ ! -f "$pages/$page" ]; then
        echo "package.sh: $pages/$page is missing: the perne-class package carries the pages," >&2
        echo "package.sh: so build them first with: bash tools/web.sh" >&2
        exit 1
    fi
done

# No build type of CMake's own: the flags are dpkg-buildflags', as in a Debian build
# with every hardening feature on (-O2, fortified functions, stack protector and clash
# protection, position-independent code, read-only relocations, immediate binding).
# The prefix is /usr so that perne-class looks for its pages where the package puts them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=None -DPERNE_BUILD_TESTS=OFF \
    -DPERNE_BUILD_SERVER=ON -DCMAKE_INSTALL_PREFIX=/usr -DPERNE_CLASS_PAGES_FROM="$pages" \
    -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" >/dev/null
cmake --build build-deb -j 2
rm -f build-deb/perne_*.deb build-deb/perne-class_*.deb
(cd build-deb && cpack -G DEB >/dev/null)
deb=$(ls build-deb/perne_*.deb)
class_deb=$(ls build-deb/perne-class_*.deb)
echo "== $deb $class_deb =="

lintian --fail-on error,warning --display-level ">=warning" --info "$deb" "$class_deb"

contents=$(mktemp -d)
server_pid=
cleanup() {
    if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; fi
    rm -rf "$contents"
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$contents"
desktop-file-validate "$contents"/usr/share/applications/perne.desktop
appstreamcli validate --no-net --pedantic "$contents"/usr/share/metainfo/*.metainfo.xml
"$contents"/usr/bin/perne --version

# The server's package: its program, manual page and unit. The unit is checked in the
# extracted tree (--root), so its ExecStart is the packaged program; the system's own units
# (sysinit.target and the like) are not there, hence no recursive errors.
dpkg-deb -x "$class_deb" "$contents"
"$contents"/usr/bin/perne-class --version
test -f "$contents"/usr/share/man/man1/perne-class.1.gz
gzip -t "$contents"/usr/share/man/man1/perne-class.1.gz
test -f "$contents"/usr/lib/systemd/system/perne-class.service
systemd-analyze verify --root="$contents" --man=no --recursive-errors=no \
    /usr/lib/systemd/system/perne-class.service

# The program must look for its pages where the package puts them, as the unit gives no
# --pages. Where perne-class is not installed, that folder is missing, which it reports.
mkdir "$contents/data"
if [ ! -e /usr/share/perne-class/pages ]; then
    if "$contents"/usr/bin/perne-class --bind 127.0.0.1 --port 0 --data "$contents/data" \
        2>"$contents/default.err"; then
        echo "package.sh: perne-class started without its pages" >&2
        exit 1
    fi
    grep -qF "/usr/share/perne-class/pages" "$contents/default.err" || {
        echo "package.sh: perne-class does not look for its pages in /usr/share/perne-class/pages:" >&2
        cat "$contents/default.err" >&2
        exit 1
    }
else
    echo "(perne-class is installed here: its default pages folder is not checked)"
fi
# The packaged server on a free port of 127.0.0.1, with a scratch data folder, serving the
# packaged pages; tools/check-class-package.mjs asks it for them.
"$contents"/usr/bin/perne-class --bind 127.0.0.1 --port 0 --data "$contents/data" \
    --pages "$contents/usr/share/perne-class/pages" >"$contents/server.out" 2>&1 &
server_pid=$!
node tools/check-class-package.mjs "$contents/server.out" "$contents/usr/share/perne-class/pages"
kill "$server_pid"
wait "$server_pid" || { echo "package.sh: perne-class did not stop cleanly on SIGTERM" >&2; exit 1; }
server_pid=
echo "package checks passed: $deb $class_deb"
