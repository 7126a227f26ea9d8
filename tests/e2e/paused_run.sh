#!/usr/bin/env bash
# A two-walker run of the real program that is stopped (SIGSTOP) twice, as a suspended
# laptop or a starved machine would stop it: from 5 s to 35 s, and from 45 s until 10 s
# after the run's end. Each time it continues (SIGCONT) it must catch up at once: at 35 s it
# has made about 175 ticks of each timer and runs on; woken after the end, the run has ended
# with all 901 ticks of each timer and shows " 180 / 180 秒". Then it rests and quits with Yes.
#
#   paused_run.sh <program> <output folder>
#
# The program reports its catch-ups on standard error when PERNE_TICK_REPORT is set. It takes
# a little over three minutes, the length of a run. On failure a screenshot is left in the
# output folder. Exits 77 (skipped) when the X tools are missing.
set -uo pipefail

program=$1
outdir=$2
shot="$outdir/e2e-paused-run-failure.png"
# shellcheck source=xsession.sh
source "$(dirname "$0")/xsession.sh"
start_xvfb

enter_work
PERNE_TICK_REPORT=1 QT_QPA_PLATFORM=xcb "$program" >"$work/program.log" 2>&1 &
app_pid=$!

win=$(timeout 15 xdotool search --sync --onlyvisible --name '【ペルネ実験】' | head -n1)
[ -n "$win" ] || fail "the simulation window did not appear"
click() { xdotool mousemove --window "$win" "$1" "$2" click 1; }
QUIT=(28 12)
START=(236 12)
BOTH=(328 12)

click "${BOTH[@]}"
for title in 桃太郎 桃太郎 犬 犬; do answer "^${title}の初期位置の設定\$"; done
wait_for 5 field "$work/set.png" || fail "no picture of the field"
click "${START[@]}"
started=$(date +%s.%N)
wait_for 10 moved_from "$work/set.png" || fail "the walkers did not move after Start"

# Sleeps until $1 seconds after Start.
until_second() {
    local left
    left=$(echo "$started + $1 - $(date +%s.%N)" | bc)
    [[ $left == -* ]] || sleep "$left"
}
reports() { grep -c 'periods run at once' "$work/program.log"; }

until_second 5
kill -STOP "$app_pid" || fail "could not stop the program"
until_second 35
kill -CONT "$app_pid"
wait_for 5 grep -q 'running$' "$work/program.log" || fail "no catch-up after 30 s stopped"
line=$(grep 'running$' "$work/program.log" | tail -n1)
echo "continued at 35 s: $line"
ticks=$(sed -E 's/.*Timer1 ([0-9]+) ticks.*/\1/' <<<"$line")
# A slow machine may deliver the first event after continuing a little late.
((ticks >= 170 && ticks <= 190)) || fail "caught up to $ticks ticks at 35 s, not about 175"

until_second 45
kill -STOP "$app_pid" || fail "could not stop the program"
until_second 190
kill -CONT "$app_pid"
wait_for 5 grep -q 'ended$' "$work/program.log" || fail "the run did not end on continuing after its end"
line=$(grep 'ended$' "$work/program.log")
echo "continued at 190 s: $line"
[[ $line == *'Timer1 901 ticks, Timer2 901 ticks; Label4 " 180 / 180 秒"; Label3 "ペルネ回数＝ '* ]] ||
    fail "the run ended without its 901 ticks of each timer or with another time shown"
[ "$(reports)" -eq 2 ] || fail "$(reports) catch-ups reported, not 2"
wait_for 5 resting || fail "the walkers went on moving after the end"

click "${QUIT[@]}"
quit_answered_yes
echo "PASS: stopped twice, caught up each time, ended whole"
