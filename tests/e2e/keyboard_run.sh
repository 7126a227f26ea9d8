#!/usr/bin/env bash
# A whole run of the real program from the keyboard alone, on its own X server with real X
# key events: Ctrl++ enlarges the window and Ctrl+0 brings it back; from the field, where
# the focus starts, Tab Tab reaches "２人が動くとき"; Return sets up (Return takes each
# default answer), Return starts, the walkers move, Return stops, they rest; Tab Tab
# reaches "終了", Return and Return (Yes) end the program with status 0.
#
#   keyboard_run.sh <program> <output folder>
#
# On failure a screenshot is left in the output folder. Exits 77 (skipped) when the X tools
# are missing. Without a window manager nobody gives the window back the focus when a
# dialog closes, so the script does (xdotool windowfocus), as a desktop would.
set -uo pipefail

program=$1
outdir=$2
shot="$outdir/e2e-keyboard-failure.png"
# shellcheck source=xsession.sh
source "$(dirname "$0")/xsession.sh"
start_xvfb

enter_work
QT_QPA_PLATFORM=xcb "$program" >"$work/program.log" 2>&1 &
app_pid=$!

win=$(timeout 15 xdotool search --sync --onlyvisible --name '【ペルネ実験】' | head -n1)
[ -n "$win" ] || fail "the simulation window did not appear"
focus_window() { xdotool windowfocus --sync "$win" 2>/dev/null; }
focus_window
key() { xdotool key --clearmodifiers "$@"; }

# --- zoom: the window's size at each step ---
size_is() { xdotool getwindowgeometry "$win" | grep -q "Geometry: $1\$"; }
key ctrl+plus
wait_for 5 size_is 723x563 || fail "Ctrl++ did not make the window 1.5 times as large"
key ctrl+plus
wait_for 5 size_is 964x750 || fail "Ctrl++ again did not make the window twice as large"
key ctrl+0
wait_for 5 size_is 482x375 || fail "Ctrl+0 did not bring the window back to its size"

# --- set up: Tab Tab from the field to "２人が動くとき", Return, the four default answers ---
key Tab Tab Return
answer '^桃太郎の初期位置の設定$'
answer '^桃太郎の初期位置の設定$'
answer '^犬の初期位置の設定$'
answer '^犬の初期位置の設定$'
focus_window
wait_for 5 field "$work/set1.png" || fail "no picture of the field"
sleep 0.5
field "$work/set2.png"
[ "$(differing_pixels "$work/set1.png" "$work/set2.png")" = "0" ] || fail "the field changes before Start"

# --- Return: the focus moved on to Start ---
key Return
wait_for 10 moved_from "$work/set2.png" || fail "Return after the setup did not start the run"

# --- Return: the focus moved on to Stop ---
key Return
wait_for 10 resting || fail "Return after Start did not stop the run"

# --- from "問題へ", where the focus went on, Tab Tab to "終了"; Return, and Return for Yes ---
key Tab Tab Return
quit_answered_yes
echo "PASS: zoomed, set up, started, stopped and quit from the keyboard"
