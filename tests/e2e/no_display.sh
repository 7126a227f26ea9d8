#!/usr/bin/env bash
# The window program without a screen: with no display at all, and with one that is named but
# cannot be opened, it says in one line that a graphical display is needed and ends with
# status 1 (not Qt's abort); a platform plugin that does not exist is named as such, in one
# line with the same status. Told where to draw (-platform, QT_QPA_PLATFORM) it starts.
#
#   no_display.sh <program>
set -uo pipefail

program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    cat "$work/out" 2>/dev/null
    exit 1
}

line='ペルネ実験: 画面（グラフィカルディスプレイ）がないので起動できません / perne: a graphical display is needed'
# No display of any kind; each start is killed after 10 s, so none outlives the test.
bare=(env -u DISPLAY -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$work")
start() { "${bare[@]}" "$@" timeout -k 2 10 "$program"; }

start >"$work/out" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "no display: status $status, not 1"
[ "$(cat "$work/out")" = "$line" ] || fail "no display: not the one line"

# A display nobody serves.
n=900
while [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
start DISPLAY=":$n" >"$work/out" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "display :$n: status $status, not 1"
[ "$(tail -n1 "$work/out")" = "$line" ] || fail "display :$n: the last line is not ours"
grep -q -i reinstall "$work/out" && fail "display :$n: Qt's advice to reinstall is shown"

# A platform plugin that does not exist is named as such, with or without a display.
plugin='ペルネ実験: 画面の種類（Qt のプラットフォームプラグイン）"nosuch" がありません / perne: no such Qt platform plugin "nosuch" (使えるもの / available: '
named() {
    status=$?
    [ "$status" -eq 1 ] || fail "$1: status $status, not 1"
    case "$(tail -n1 "$work/out")" in
    "$plugin"*offscreen*) ;;
    *) fail "$1: the last line does not name the missing plugin" ;;
    esac
}
start QT_QPA_PLATFORM=nosuch >"$work/out" 2>&1
named "QT_QPA_PLATFORM=nosuch"
start DISPLAY=":$n" QT_QPA_PLATFORM=nosuch >"$work/out" 2>&1
named "DISPLAY=:$n QT_QPA_PLATFORM=nosuch"
"${bare[@]}" timeout -k 2 10 "$program" -platform nosuch >"$work/out" 2>&1
named "-platform nosuch"

# Told where to draw, it starts and stays up until it is killed.
"${bare[@]}" timeout -k 2 1 "$program" -platform offscreen >"$work/out" 2>&1
[ $? -eq 124 ] || fail "-platform offscreen: the program did not stay up"
"${bare[@]}" QT_QPA_PLATFORM=offscreen timeout -k 2 1 "$program" >"$work/out" 2>&1
[ $? -eq 124 ] || fail "QT_QPA_PLATFORM=offscreen: the program did not stay up"
echo "PASS: one line and status 1 without a display or with an unknown plugin; starts with -platform and QT_QPA_PLATFORM"
