#!/usr/bin/env bash
# Times the walk against find on the same tree, warm cache, alternating runs.
#
#   bench/walk_vs_find.sh DIR [BENCH_WALK] [RUNS]
#
# BENCH_WALK defaults to the first bench_walk found in a build*/bench folder.
# Prints each run and the median ratio walk / find, for wall-clock time and
# for CPU time (user + system; steadier on a busy machine).
set -euo pipefail
. "$(dirname "$0")/ratio_lib.sh"

dir=${1:?usage: walk_vs_find.sh DIR [BENCH_WALK] [RUNS]}
walk=$(bench_program bench_walk "${2:-}")
runs=${3:-5}

TIMEFORMAT='%R %U %S'
measure() { { time "$@" >/dev/null 2>&1; } 2>&1; }
cpu() { awk -v a="$1" -v b="$2" 'BEGIN { print a + b }'; }

bench_warm "$dir" "$walk"

wall_ratios=()
cpu_ratios=()
for ((i = 1; i <= runs; i++)); do
    read -r wr wu ws < <(measure "$walk" "$dir")
    read -r fr fu fs < <(measure bench_find "$dir")
    wc=$(cpu "$wu" "$ws")
    fc=$(cpu "$fu" "$fs")
    wall=$(bench_ratio "$wr" "$fr")
    cpu_ratio=$(bench_ratio "$wc" "$fc")
    echo "run $i: walk ${wr}s (cpu ${wc}s)  find ${fr}s (cpu ${fc}s)  wall ratio $wall  cpu ratio $cpu_ratio"
    wall_ratios+=("$wall")
    cpu_ratios+=("$cpu_ratio")
done
echo "median ratio walk/find: wall $(bench_median "${wall_ratios[@]}")  cpu $(bench_median "${cpu_ratios[@]}")"
