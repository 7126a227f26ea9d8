#!/usr/bin/env bash
# A whole two-walker run of the real program on its own X server, driven by real X input:
# set up with the four default answers, start, see the walkers move, stop, see them rest,
# quit with Yes, and the program ends with status 0.
#
#   two_walker_run.sh <program> <output folder> [<silent socket program>]
#
# With the third argument the sound server has hung: PULSE_SERVER names a socket that takes
# connections and never answers. The first click's prompt must still come within 2 s (today a
# cue never waits for the sound system; once the click waited 30 s). The working folder then
# also holds a pinpon.wav over 16 MB, which the program must name on standard error once.
#
# On failure a screenshot is left in the output folder. Exits 77 (skipped) when the X tools
# are missing.
set -uo pipefail

program=$1
outdir=$2
silent_socket=${3:-}
shot="$outdir/e2e-two-walker-failure.png"
# shellcheck source=xsession.sh
source "$(dirname "$0")/xsession.sh"
start_xvfb

# --- the program, started from an empty folder: its cues come from its own copy ---
enter_work
if [ -n "$silent_socket" ]; then
    "$silent_socket" "$work/hung-server" >"$work/server.log" 2>&1 &
    server_pid=$!
    wait_for 5 grep -q ready "$work/server.log" || { cat "$work/server.log"; echo "FAIL: no silent socket"; exit 1; }
    export PULSE_SERVER="unix:$work/hung-server"
    truncate -s 17M pinpon.wav
fi
QT_QPA_PLATFORM=xcb "$program" >"$work/program.log" 2>&1 &
app_pid=$!

win=$(timeout 15 xdotool search --sync --onlyvisible --name '【ペルネ実験】' | head -n1)
[ -n "$win" ] || fail "the simulation window did not appear"

click() { # button centre in window pixels
    xdotool mousemove --window "$win" "$1" "$2" click 1
}
# Button centres, from the window's design table (twips / 15).
QUIT=(28 12)
STOP=(164 12)
START=(236 12)
BOTH=(328 12)

# --- set up both walkers with the default answers ---
now_ms() { echo $(($(date +%s%N) / 1000000)); }
clicked_at=$(now_ms)
click "${BOTH[@]}"
if [ -n "$silent_socket" ]; then
    prompt_up() { xdotool search --onlyvisible --name '^桃太郎の初期位置の設定$' >/dev/null 2>&1; }
    wait_for 2 prompt_up || fail "no prompt within 2 s of the click while the sound server hangs"
    echo "click to prompt with the sound server hung: $(($(now_ms) - clicked_at)) ms"
fi
answer '^桃太郎の初期位置の設定$'
answer '^桃太郎の初期位置の設定$'
answer '^犬の初期位置の設定$'
answer '^犬の初期位置の設定$'

# Before Start nothing moves; this also shows that two pictures of a still field are equal.
wait_for 5 field "$work/set1.png" || fail "no picture of the field"
sleep 0.5
field "$work/set2.png"
[ "$(differing_pixels "$work/set1.png" "$work/set2.png")" = "0" ] || fail "the field changes before Start"

# --- start: the walkers move (checked within 10 s, a picture every half second) ---
click "${START[@]}"
wait_for 10 moved_from "$work/set2.png" || fail "the walkers did not move after Start"

# --- stop: after the last tick in flight the field stays as it is ---
click "${STOP[@]}"
wait_for 10 resting || fail "the walkers went on moving after Stop"

# --- quit with Yes: the program ends by itself with status 0 ---
click "${QUIT[@]}"
quit_answered_yes
if [ -n "$silent_socket" ]; then
    named=$(grep -c 'pinpon.wav.* 16 MB' "$work/program.log")
    [ "$named" -eq 1 ] || fail "the oversized pinpon.wav was named $named times, not once"
fi
echo "PASS: set up, started, moved, stopped, quit"
