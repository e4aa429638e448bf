#!/usr/bin/env bash
# Times the results page's scan against find on the same tree, warm cache,
# alternating runs.
#
#   bench/scan_vs_find.sh DIR [BENCH_SCAN] [RUNS]
#
# Make DIR with bench/gen_tree.py (200,000 files by default). BENCH_SCAN
# defaults to the first bench_scan found in a build*/bench folder. The scan's
# time is the one bench_scan reports for the scan itself (what the user waits
# for once the page shows); find's is its whole run. Prints each run and the
# median ratio scan / find.
set -euo pipefail

dir=${1:?usage: scan_vs_find.sh DIR [BENCH_SCAN] [RUNS]}
here=$(cd "$(dirname "$0")/.." && pwd)
scan=${2:-$(ls "$here"/build*/bench/bench_scan 2>/dev/null | head -n 1)}
runs=${3:-5}
[[ -x "$scan" ]] || { echo "bench_scan not found; build the bench_scan target" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen

TIMEFORMAT='%R'
find_time() { { time find "$dir" -xdev -printf '%s %T@ %p\n' >/dev/null 2>&1; } 2>&1; }
scan_time() { "$scan" "$dir" | awk '/^scan:/ { print $2 }'; }

# Warm the cache with one run of each.
find "$dir" -xdev -printf '%s %T@ %p\n' >/dev/null
"$scan" "$dir"

ratios=()
for ((i = 1; i <= runs; i++)); do
    s=$(scan_time)
    f=$(find_time)
    r=$(awk -v a="$s" -v b="$f" 'BEGIN { printf "%.3f", a / b }')
    echo "run $i: scan ${s}s  find ${f}s  ratio $r"
    ratios+=("$r")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "median ratio scan/find: $(median "${ratios[@]}")"
