#!/usr/bin/env bash
# Times a whole brimvale-cli scan process against find on the same tree, warm
# cache, alternating runs.
#
#   bench/cli_vs_find.sh DIR [BRIMVALE_CLI] [RUNS]
#
# Make DIR with bench/gen_tree.py (200,000 files by default). BRIMVALE_CLI
# defaults to the first brimvale-cli found in a build* folder. Both sides
# are timed from process start to exit: `brimvale-cli scan --print0 DIR`
# (Express criteria, every match written, output to /dev/null) and find
# printing size, time and path of every entry. Prints each run and the
# median ratios cli / find for wall-clock and CPU time (user + system;
# steadier on a busy machine).
set -euo pipefail
. "$(dirname "$0")/ratio_lib.sh"

dir=${1:?usage: cli_vs_find.sh DIR [BRIMVALE_CLI] [RUNS]}
cli=${2:-$(ls "$bench_root"/build*/brimvale-cli 2>/dev/null | head -n 1)}
runs=${3:-5}
if [[ ! -x "$cli" ]]; then
    echo "brimvale-cli not found; build the brimvale-cli target" >&2
    exit 1
fi

TIMEFORMAT='%R %U %S'
measure() { { time "$@" >/dev/null 2>&1; } 2>&1; }
cpu() { awk -v a="$1" -v b="$2" 'BEGIN { print a + b }'; }
cli_scan() { "$cli" scan --print0 "$1"; }

bench_find "$dir"
cli_scan "$dir" >/dev/null
echo "files listed by the scan: $(cli_scan "$dir" | tr -cd '\0' | wc -c)"

wall_ratios=()
cpu_ratios=()
for ((i = 1; i <= runs; i++)); do
    read -r cr cu cs < <(measure cli_scan "$dir")
    read -r fr fu fs < <(measure bench_find "$dir")
    cc=$(cpu "$cu" "$cs")
    fc=$(cpu "$fu" "$fs")
    wall=$(bench_ratio "$cr" "$fr")
    cpu_ratio=$(bench_ratio "$cc" "$fc")
    echo "run $i: cli ${cr}s (cpu ${cc}s)  find ${fr}s (cpu ${fc}s)  wall ratio $wall  cpu ratio $cpu_ratio"
    wall_ratios+=("$wall")
    cpu_ratios+=("$cpu_ratio")
done
echo "median ratio cli/find: wall $(bench_median "${wall_ratios[@]}")  cpu $(bench_median "${cpu_ratios[@]}")"
