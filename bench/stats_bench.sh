#!/usr/bin/env bash
# Measures perne-stats from outside with /usr/bin/time -v; a benchmark, not a test.
#
#   bench/stats_bench.sh <perne-stats> [runs per mode, default 10000]
#
# 1. Exact values of both modes only (--runs 0), best of 5: the wall time of the whole
#    process, start-up included.
# 2. A batch of N runs of each mode through the headless engine on every core
#    (--runs N --seed 1), then the same batch on one thread: wall time, CPU time, peak
#    memory, and the speed-up the second core gives.
# 3. The yardstick: bench/bare_loop.cpp, the walk's rules restated as one plain loop with
#    no window, no captions and no handlers, compiled here with -O2 and run on one core for
#    the same batch. Its meeting totals must equal the sums of the batch's per-run counts;
#    the processor time of the whole perne-stats command (exact values, curve and batch)
#    is set beside it.
# 4. The exact distribution of the meeting count (--distribution): the processor time it adds
#    to the exact values, least of 5.
# 5. The simulated means of the batch beside the exact values, in standard errors.
#
# Targets (Release build on the 2-core machine): exact < 0.2 s; the distribution of both
# modes < 0.3 s; 10000 runs of each mode within 3x of the bare loop's processor time, and
# under 0.35 s of processor time.
set -uo pipefail

program=$(readlink -f "${1:?usage: $0 <perne-stats> [runs]}")
runs=${2:-10000}
command -v /usr/bin/time >/dev/null || { echo "missing: /usr/bin/time"; exit 1; }
bench=$(dirname "$(readlink -f "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

measure() { # label, then the command; prints wall, CPU and memory from time -v
    local label=$1
    shift
    /usr/bin/time -v "$@" >"$work/out" 2>"$work/time" || { cat "$work/time"; exit 1; }
    local wall user sys rss
    wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, t, ":"); s = 0;
        for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s}' "$work/time")
    user=$(awk -F': ' '/User time/ {print $2}' "$work/time")
    sys=$(awk -F': ' '/System time/ {print $2}' "$work/time")
    rss=$(awk -F': ' '/Maximum resident/ {print $2}' "$work/time")
    printf '%-40s wall %6.2f s   cpu %6.2f s   peak %6.1f MB\n' "$label" "$wall" \
        "$(echo "$user + $sys" | bc)" "$(echo "scale=1; $rss / 1024" | bc)"
    echo "$wall" >"$work/wall"
    echo "$user + $sys" | bc >"$work/cpu"
}
best_cpu() { # label, then the command; the least processor time of 5 runs
    local label=$1 best=""
    shift
    for i in 1 2 3 4 5; do
        measure "$label (run $i)" "$@" >/dev/null
        c=$(cat "$work/cpu")
        if [ -z "$best" ] || [ "$(echo "$c < $best" | bc)" = 1 ]; then best=$c; fi
    done
    echo "$best"
}

echo "== perne-stats on $(nproc) cores, $(date -u +%Y-%m-%dT%H:%MZ) =="
best=""
for i in 1 2 3 4 5; do
    measure "exact values, both modes (run $i)" "$program" --runs 0 --csv -
    w=$(cat "$work/wall")
    if [ -z "$best" ] || [ "$(echo "$w < $best" | bc)" = 1 ]; then best=$w; fi
done
echo "exact values: best $best s (target < 0.2 s)"

measure "$runs runs of each mode, all cores" "$program" --runs "$runs" --seed 1 --csv -
all=$(cat "$work/wall")
cp "$work/out" "$work/batch.csv"
measure "$runs runs of each mode, one thread" "$program" --runs "$runs" --seed 1 --threads 1 --csv -
one=$(cat "$work/wall")
cmp -s "$work/out" "$work/batch.csv" && same=yes || same=NO
echo "batch: $all s on all cores (target < 5 s), speed-up $(echo "scale=2; $one / $all" | bc)x," \
    "same CSV on one thread: $same"

echo "== against the bare loop (processor time, least of 5) =="
c++ -std=c++20 -O2 -o "$work/bare_loop" "$bench/bare_loop.cpp" || exit 1
"$work/bare_loop" "$runs" 1 >"$work/bare.txt"
# The third table of the CSV holds every run: mode,run,meetings,first_meeting_s.
awk -F, 'table == 3 && $1 != "mode" { sum[$1] += $3 } /^$/ { table++ } BEGIN { table = 1 }
    END { print "both", sum["both"]; print "dog", sum["dog"] }' "$work/batch.csv" >"$work/sums.txt"
cmp -s "$work/bare.txt" "$work/sums.txt" && agree=yes || agree=NO
bare=$(best_cpu "bare loop" "$work/bare_loop" "$runs" 1)
one_cpu=$(best_cpu "perne-stats, one thread" "$program" --runs "$runs" --seed 1 --threads 1 --csv -)
all_cpu=$(best_cpu "perne-stats, all cores" "$program" --runs "$runs" --seed 1 --csv -)
exact_cpu=$(best_cpu "perne-stats, exact values only" "$program" --runs 0 --csv -)
distribution_cpu=$(best_cpu "perne-stats, exact values and distribution" "$program" --runs 0 \
    --csv - --distribution "$work/distribution.csv")
printf 'bare loop, %s runs of each mode:     cpu %5.2f s (meeting totals agree with the batch: %s)\n' \
    "$runs" "$bare" "$agree"
printf 'perne-stats --runs %s --threads 1:  cpu %5.2f s = %.2f x the bare loop (target < 3 x, < 0.35 s)\n' \
    "$runs" "$one_cpu" "$(echo "scale=4; $one_cpu / $bare" | bc)"
printf 'perne-stats --runs %s, all cores:   cpu %5.2f s\n' "$runs" "$all_cpu"
printf '  of which exact values and curve:    cpu %5.2f s; the batch alone %.2f x the bare loop\n' \
    "$exact_cpu" "$(echo "scale=4; ($one_cpu - $exact_cpu) / $bare" | bc)"
printf 'exact distribution of the count, both modes: cpu %5.2f s beyond the exact values (target < 0.3 s)\n' \
    "$(echo "$distribution_cpu - $exact_cpu" | bc)"

echo "== simulated mean against the exact value =="
awk -F, 'NR > 1 && NF == 18 { se = $14 / sqrt($12); printf "%-5s exact %.4f  simulated %.4f  (%+.2f standard errors)\n",
    $1, $7, $13, ($13 - $7) / se } /^$/ { exit }' "$work/batch.csv"
