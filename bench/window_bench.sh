#!/usr/bin/env bash
# Measures the real program under Xvfb with public tools; a benchmark, not a test.
#
#   bench/window_bench.sh <program> [run seconds, default 185]
#
# 1. Start-up: time from exec until the simulation window is mapped on screen (5 starts).
# 2. A whole two-walker run, started with the default answers, watched from outside:
#    CPU use (utime + stime from /proc/PID/stat over the run), peak resident memory (VmHWM),
#    and /usr/bin/time -v's summary when the program has quit.
# 3. The same run a second time, on a display of its own alongside 2, counting each timer's
#    ticks: with PERNE_TICK_REPORT set the program names them on standard error when the run
#    ends. A run is a schedule of 901 periods, so this checks that nothing is lost.
#
# Targets: start-up < 0.2 s, CPU < 1 % of one core, VmHWM < 60 MB, 901 ticks per timer.
set -uo pipefail

program=$(readlink -f "$1")
run_seconds=${2:-185}
for tool in Xvfb xdotool /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "missing: $tool"; exit 1; }
done
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=xcb
cd "$work" || exit 1

now() { date +%s.%N; }
hz=$(getconf CLK_TCK)

display=""
# -noreset: a server restarting when its last client (a probe) leaves refuses new clients.
start_display() { # name -> sets $display; a server that cannot be reached is replaced
    local f="$work/display.$1" attempt
    for attempt in 1 2 3; do
        rm -f "$f"
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$f" >"$f.log" 2>&1 &
        local server=$!
        pids+=("$server")
        for _ in $(seq 100); do [ -s "$f" ] && break; sleep 0.05; done
        display=":$(head -n1 "$f" 2>/dev/null)"
        for _ in $(seq 20); do
            DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
            sleep 0.1
        done
        echo "Xvfb on $display (attempt $attempt) cannot be reached:"
        cat "$f.log"
        kill "$server" 2>/dev/null
    done
    exit 1
}

window_of() { # display -> window id once the simulation window is visible
    DISPLAY=$1 timeout 15 xdotool search --sync --onlyvisible --name '【ペルネ実験】' | head -n1
}

# Sets up a two-walker run with the four default answers and starts it.
start_run() { # display window
    local d=$1 w=$2 n=0 box
    DISPLAY=$d xdotool mousemove --window "$w" 328 12 click 1
    local seen=""
    while ((n < 4)); do
        box=$(DISPLAY=$d timeout 10 xdotool search --sync --onlyvisible --name '初期位置の設定' | head -n1)
        [ -z "$box" ] && { echo "no prompt"; return 1; }
        case " $seen " in *" $box "*) sleep 0.05; continue ;; esac
        seen="$seen $box"
        DISPLAY=$d xdotool windowfocus --sync "$box" key Return
        n=$((n + 1))
    done
    sleep 0.5
    DISPLAY=$d xdotool mousemove --window "$w" 236 12 click 1
}

quit() { # display window
    DISPLAY=$1 xdotool mousemove --window "$2" 28 12 click 1
    local box
    box=$(DISPLAY=$1 timeout 10 xdotool search --sync --onlyvisible --name '^ペルネ実験$' | head -n1)
    DISPLAY=$1 xdotool windowfocus --sync "$box" key Return
}

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# --- 1. start-up ---
start_display startup
d1=$display
echo "== start-up (exec until the window is mapped), 5 starts"
times=()
for i in 1 2 3 4 5; do
    t0=$(now)
    DISPLAY=$d1 "$program" >"$work/startup.log" 2>&1 &
    p=$!
    until DISPLAY=$d1 xdotool search --onlyvisible --name '【ペルネ実験】' >/dev/null 2>&1; do
        kill -0 "$p" 2>/dev/null || { echo "the program ended before its window showed:"; cat "$work/startup.log"; exit 1; }
        sleep 0.005
    done
    t1=$(now)
    times+=("$(echo "$t1 - $t0" | bc)")
    kill "$p"
    wait "$p" 2>/dev/null
done
printf '   %s s\n' "${times[@]}"
echo "   median: $(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p) s"

# --- 3. tick count, in the background ---
start_display ticks
d3=$display
DISPLAY=$d3 PERNE_TICK_REPORT=1 "$program" >/dev/null 2>"$work/ticks.log" &
tick_job=$!
w3=$(window_of "$d3")
start_run "$d3" "$w3"

# --- 2. the measured run ---
start_display run
d2=$display
/usr/bin/time -v -o "$work/time.txt" env DISPLAY="$d2" "$program" >/dev/null 2>&1 &
time_pid=$!
w2=$(window_of "$d2")
app=$(pgrep -P "$time_pid" -f "$program" | head -n1)
start_run "$d2" "$w2"
sleep 1
c0=$(cpu_ticks "$app")
t0=$(now)
echo "== a whole run: waiting ${run_seconds} s"
sleep "$run_seconds"
c1=$(cpu_ticks "$app")
t1=$(now)
hwm=$(awk '/VmHWM/ { print $2 }' "/proc/$app/status")
quit "$d2" "$w2"
wait "$time_pid"
echo "== CPU during the run: $(echo "scale=3; 100 * ($c1 - $c0) / $hz / ($t1 - $t0)" | bc) % of one core" \
    "($((c1 - c0)) ticks of 1/$hz s in $(echo "$t1 - $t0" | bc) s)"
echo "== peak resident memory (VmHWM): $((hwm / 1024)) MB ($hwm kB)"
echo "== /usr/bin/time -v:"
grep -E 'Maximum resident|Elapsed|User time|System time|Percent of CPU|Exit status' "$work/time.txt" | sed 's/^/   /'

quit "$d3" "$w3"
wait "$tick_job"
echo "== ticks per timer in the whole run (the program's own count):"
grep -E 'ended$' "$work/ticks.log" | sed 's/^/   /'
