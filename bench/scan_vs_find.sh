#!/usr/bin/env bash
# Times the results page's scan against find on the same tree, alternating
# runs, with a warm cache and (when this process may drop the page cache)
# with a cold one.
#
#   bench/scan_vs_find.sh DIR [BENCH_SCAN] [RUNS]
#
# Make DIR with bench/gen_tree.py (200,000 files by default). BENCH_SCAN
# defaults to the first bench_scan found in a build*/bench folder. The scan's
# time is the one bench_scan reports for the scan itself (what the user waits
# for once the page shows); find's is its whole run. Each warm run times the
# scan with protection off (BV_PROTECT=0) and on, so both ratios come from the
# same conditions; a third timing has protection on without the rules for
# locks, backups, desktop sessions, removability and live work
# (BV_LINUX_RULES=0), for what those cost. fdfind, gdu, ncdu and du run on the same tree when they are
# installed, and their ratios to find are printed beside ours. Each warm run
# also prints the CPU time of find and of the scans (all their threads), and
# the medians of those ratios: steadier than wall-clock time on a busy machine,
# though the scan's threads let it end sooner than its CPU time.
#
# BRIMVALE_READERS sets the walk's reader threads as it does for the program
# (unset: chosen for the drive, one on a rotating disk). COLD=0 skips the cold
# runs; MEMORY=1 also prints the peak memory of a scan that lists every file.
set -euo pipefail
. "$(dirname "$0")/ratio_lib.sh"

dir=${1:?usage: scan_vs_find.sh DIR [BENCH_SCAN] [RUNS]}
scan=$(bench_program bench_scan "${2:-}")
runs=${3:-5}
export QT_QPA_PLATFORM=offscreen
echo "tree: $dir   readers: ${BRIMVALE_READERS:-chosen for the drive}   load: $(cut -d' ' -f1-3 /proc/loadavg)"

scan_time() { BV_PROTECT=$1 "$scan" "${2:-$dir}" | awk '/^scan:/ { print $2 }'; }
# "WALL CPU" of one scan, as bench_scan reports them.
scan_times() {
    env "$@" "$scan" "$dir" | awk '/^scan:/ { w = $2 } /^scan cpu:/ { c = $3 } END { print w, c }'
}
mapfile -t peers < <(bench_peers "$dir")

# One round of every peer, printing "name seconds (ratio)" against find's
# time $1; the ratios are kept in a file per peer, as this runs in a subshell.
ratio_dir=$(mktemp -d)
trap 'rm -rf "$ratio_dir"' EXIT
peer_round() {
    local f=$1 line name command t r out=""
    for line in "${peers[@]}"; do
        name=${line%%|*}
        command=${line#*|}
        if [[ ${COLD_ROUND:-0} == 1 ]]; then
            bench_drop_caches
            # shellcheck disable=SC2086
            ${command//"$dir"/"$empty"} >/dev/null 2>&1 || true
        fi
        # shellcheck disable=SC2086
        t=$(bench_seconds $command)
        r=$(bench_ratio "$t" "$f")
        out+="  $name ${t}s ($r)"
        echo "$r" >>"$ratio_dir/$name"
    done
    echo "$out"
}
peer_medians() {
    local line name out=""
    for line in "${peers[@]}"; do
        name=${line%%|*}
        [[ -s "$ratio_dir/$name" ]] && out+="  $name $(bench_median $(cat "$ratio_dir/$name"))"
    done
    rm -f "$ratio_dir"/*
    echo "${out:-  (no peers installed)}"
}

echo "== warm cache"
bench_warm "$dir" "$scan"
ratios_off=()
ratios_on=()
ratios_plain=()
cpu_off=()
cpu_on=()
cpu_plain=()
for ((i = 1; i <= runs; i++)); do
    # Alternate which scan runs first, so neither always follows find.
    if ((i % 2)); then
        read -r off off_cpu < <(scan_times BV_PROTECT=0)
        read -r plain plain_cpu < <(scan_times BV_LINUX_RULES=0)
        read -r f f_cpu < <(bench_times bench_find "$dir")
        read -r on on_cpu < <(scan_times BV_PROTECT=1)
    else
        read -r on on_cpu < <(scan_times BV_PROTECT=1)
        read -r f f_cpu < <(bench_times bench_find "$dir")
        read -r plain plain_cpu < <(scan_times BV_LINUX_RULES=0)
        read -r off off_cpu < <(scan_times BV_PROTECT=0)
    fi
    r_off=$(bench_ratio "$off" "$f")
    r_on=$(bench_ratio "$on" "$f")
    r_plain=$(bench_ratio "$plain" "$f")
    echo "run $i: find ${f}s  scan ${off}s (protection off, ratio $r_off)  ${on}s (on, ratio $r_on)" \
        " ${plain}s (on without the Linux rules, ratio $r_plain)"
    echo "       cpu: find ${f_cpu}s  scan ${off_cpu}s (off, ratio $(bench_ratio "$off_cpu" "$f_cpu"))" \
        " ${on_cpu}s (on, ratio $(bench_ratio "$on_cpu" "$f_cpu"))  ${plain_cpu}s (on without the Linux rules)"
    echo "       peers against find:$(peer_round "$f")"
    ratios_off+=("$r_off")
    ratios_on+=("$r_on")
    ratios_plain+=("$r_plain")
    cpu_off+=("$(bench_ratio "$off_cpu" "$f_cpu")")
    cpu_on+=("$(bench_ratio "$on_cpu" "$f_cpu")")
    cpu_plain+=("$(bench_ratio "$plain_cpu" "$f_cpu")")
done
median_off=$(bench_median "${ratios_off[@]}")
median_on=$(bench_median "${ratios_on[@]}")
echo "warm median ratio scan/find: protection off $median_off, on $median_on"
echo "protection on / off: $(bench_ratio "$median_on" "$median_off")"
median_plain=$(bench_median "${ratios_plain[@]}")
echo "Linux rules on / off (protection on): $(bench_ratio "$median_on" "$median_plain")"
median_cpu_off=$(bench_median "${cpu_off[@]}")
median_cpu_on=$(bench_median "${cpu_on[@]}")
echo "warm median ratio of CPU time scan/find: protection off $median_cpu_off, on $median_cpu_on," \
    "on without the Linux rules $(bench_median "${cpu_plain[@]}"); protection on / off" \
    "$(bench_ratio "$median_cpu_on" "$median_cpu_off")"
echo "warm median ratios of the peers to find:$(peer_medians)"

if [[ ${COLD:-1} != 0 ]]; then
    echo "== cold cache"
    if ! bench_drop_caches; then
        echo "cannot drop the page cache (/proc/sys/vm/drop_caches is not writable): no cold runs"
    else
        # The drive is cold, not the programs: a user starts a scan from a
        # program already running. After each drop, both programs run once
        # on an empty folder, which reads their own files back in.
        empty=$(mktemp -d)
        trap 'rm -rf "$ratio_dir" "$empty"' EXIT
        cold_find() { bench_drop_caches; bench_find "$empty"; bench_seconds bench_find "$dir"; }
        cold_scan() { bench_drop_caches; scan_time 0 "$empty" >/dev/null; scan_time 0; }
        cold=()
        for ((i = 1; i <= runs; i++)); do
            if ((i % 2)); then
                s=$(cold_scan)
                f=$(cold_find)
            else
                f=$(cold_find)
                s=$(cold_scan)
            fi
            r=$(bench_ratio "$s" "$f")
            echo "cold run $i: find ${f}s  scan ${s}s (protection off, ratio $r)"
            echo "       peers against find:$(COLD_ROUND=1 peer_round "$f")"
            cold+=("$r")
        done
        echo "cold median ratio scan/find: $(bench_median "${cold[@]}")"
        echo "cold median ratios of the peers to find:$(peer_medians)"
    fi
fi

if [[ ${MEMORY:-0} != 0 ]]; then
    echo "== every file listed"
    BV_PROTECT=0 "$scan" "$dir" --all | grep -E '^(scan|peak)'
fi
