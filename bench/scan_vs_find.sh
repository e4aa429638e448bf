#!/usr/bin/env bash
# Times the results page's scan against find on the same tree, warm cache,
# alternating runs.
#
#   bench/scan_vs_find.sh DIR [BENCH_SCAN] [RUNS]
#
# Make DIR with bench/gen_tree.py (200,000 files by default). BENCH_SCAN
# defaults to the first bench_scan found in a build*/bench folder. The scan's
# time is the one bench_scan reports for the scan itself (what the user waits
# for once the page shows); find's is its whole run. Each run times the scan
# with protection off (BV_PROTECT=0) and on, so both ratios come from the same
# conditions. Prints each run, the median ratios scan / find, and how much
# protection adds: median ratio on / median ratio off.
set -euo pipefail
. "$(dirname "$0")/ratio_lib.sh"

dir=${1:?usage: scan_vs_find.sh DIR [BENCH_SCAN] [RUNS]}
scan=$(bench_program bench_scan "${2:-}")
runs=${3:-5}
export QT_QPA_PLATFORM=offscreen

TIMEFORMAT='%R'
find_time() { { time bench_find "$dir"; } 2>&1; }
scan_time() { BV_PROTECT=$1 "$scan" "$dir" | awk '/^scan:/ { print $2 }'; }

bench_warm "$dir" "$scan"

ratios_off=()
ratios_on=()
for ((i = 1; i <= runs; i++)); do
    # Alternate which scan runs first, so neither always follows find.
    if ((i % 2)); then
        off=$(scan_time 0)
        f=$(find_time)
        on=$(scan_time 1)
    else
        on=$(scan_time 1)
        f=$(find_time)
        off=$(scan_time 0)
    fi
    r_off=$(bench_ratio "$off" "$f")
    r_on=$(bench_ratio "$on" "$f")
    echo "run $i: find ${f}s  scan ${off}s (protection off, ratio $r_off)  ${on}s (on, ratio $r_on)"
    ratios_off+=("$r_off")
    ratios_on+=("$r_on")
done
median_off=$(bench_median "${ratios_off[@]}")
median_on=$(bench_median "${ratios_on[@]}")
echo "median ratio scan/find: protection off $median_off, on $median_on"
echo "protection on / off: $(bench_ratio "$median_on" "$median_off")"
