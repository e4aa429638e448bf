#!/usr/bin/env bash
# Times the walk against find on the same tree, warm cache, alternating runs.
#
#   bench/walk_vs_find.sh DIR [BENCH_WALK] [RUNS]
#
# BENCH_WALK defaults to the first bench_walk found in a build*/bench folder.
# Prints each run and the median ratio walk / find, for wall-clock time and
# for CPU time (user + system; steadier on a busy machine).
set -euo pipefail

dir=${1:?usage: walk_vs_find.sh DIR [BENCH_WALK] [RUNS]}
here=$(cd "$(dirname "$0")/.." && pwd)
walk=${2:-$(ls "$here"/build*/bench/bench_walk 2>/dev/null | head -n 1)}
runs=${3:-5}
[[ -x "$walk" ]] || { echo "bench_walk not found; build the bench_walk target" >&2; exit 1; }

TIMEFORMAT='%R %U %S'
measure() { { time "$@" >/dev/null 2>&1; } 2>&1; }

# Warm the cache with one run of each.
find "$dir" -xdev -printf '%s %T@ %p\n' >/dev/null
"$walk" "$dir" >/dev/null

wall_ratios=()
cpu_ratios=()
for ((i = 1; i <= runs; i++)); do
    read -r wr wu ws < <(measure "$walk" "$dir")
    read -r fr fu fs < <(measure find "$dir" -xdev -printf '%s %T@ %p\n')
    wall=$(awk -v a="$wr" -v b="$fr" 'BEGIN { printf "%.3f", a / b }')
    cpu=$(awk -v a="$wu" -v b="$ws" -v c="$fu" -v d="$fs" 'BEGIN { printf "%.3f", (a + b) / (c + d) }')
    echo "run $i: walk ${wr}s (cpu $(awk -v a="$wu" -v b="$ws" 'BEGIN{print a+b}')s)  find ${fr}s (cpu $(awk -v a="$fu" -v b="$fs" 'BEGIN{print a+b}')s)  wall ratio $wall  cpu ratio $cpu"
    wall_ratios+=("$wall")
    cpu_ratios+=("$cpu")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "median ratio walk/find: wall $(median "${wall_ratios[@]}")  cpu $(median "${cpu_ratios[@]}")"
