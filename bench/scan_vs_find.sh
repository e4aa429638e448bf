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
. "$(dirname "$0")/ratio_lib.sh"

dir=${1:?usage: scan_vs_find.sh DIR [BENCH_SCAN] [RUNS]}
scan=$(bench_program bench_scan "${2:-}")
runs=${3:-5}
export QT_QPA_PLATFORM=offscreen

TIMEFORMAT='%R'
find_time() { { time bench_find "$dir"; } 2>&1; }
scan_time() { "$scan" "$dir" | awk '/^scan:/ { print $2 }'; }

bench_warm "$dir" "$scan"

ratios=()
for ((i = 1; i <= runs; i++)); do
    s=$(scan_time)
    f=$(find_time)
    r=$(bench_ratio "$s" "$f")
    echo "run $i: scan ${s}s  find ${f}s  ratio $r"
    ratios+=("$r")
done
echo "median ratio scan/find: $(bench_median "${ratios[@]}")"
