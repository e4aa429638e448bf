# Sourced by the benchmarks that time a Brimvale program against find on the
# same tree: finding the program, the reference find run, the warm-up, and the
# ratio and median arithmetic of the alternating runs.

bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The program to time: GIVEN when set, else the first NAME in a build*/bench
# folder. Fails with a hint when there is none.
bench_program() {
    local name=$1 given=${2:-}
    local program=${given:-$(ls "$bench_root"/build*/bench/"$name" 2>/dev/null | head -n 1)}
    if [[ ! -x "$program" ]]; then
        echo "$name not found; build the $name target" >&2
        return 1
    fi
    echo "$program"
}

# The reference: find listing size, time and path of everything below DIR.
bench_find() {
    find "$1" -xdev -printf '%s %T@ %p\n' >/dev/null 2>&1
}

# Warms the cache with one run of find and one of PROGRAM on DIR.
bench_warm() {
    local dir=$1 program=$2
    bench_find "$dir"
    "$program" "$dir" >/dev/null
}

# A / B to three decimals.
bench_ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'
}

bench_median() {
    printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Empties the page cache, dentries and inodes, so that the next run reads the
# disk. Returns 1 (and says nothing) when this process may not.
bench_drop_caches() {
    [[ -w /proc/sys/vm/drop_caches ]] || return 1
    sync
    echo 3 >/proc/sys/vm/drop_caches 2>/dev/null
}

# Other programs that walk a whole tree, run on DIR when they are installed
# (none of them is needed to build or test): one "name|command" line each.
bench_peers() {
    local dir=$1
    command -v fdfind >/dev/null && echo "fdfind|fdfind -u . $dir"
    command -v gdu >/dev/null && echo "gdu|gdu -n -x $dir"
    command -v ncdu >/dev/null && echo "ncdu|ncdu -x -o /dev/null $dir"
    command -v du >/dev/null && echo "du|du -sx $dir"
    return 0
}

# "WALL CPU": the seconds a command takes and the CPU seconds (user and
# system) it uses, its output thrown away. On a busy machine the CPU time is
# the steadier of the two.
bench_times() {
    local TIMEFORMAT='%R %U %S' times
    times=$({ time "$@" >/dev/null 2>&1; } 2>&1)
    # A millisecond of CPU at least, so that a ratio to it stays defined on a tiny tree.
    awk -v t="$times" 'BEGIN { split(t, a, " "); c = a[2] + a[3]; printf "%.3f %.3f\n", a[1], c < 0.001 ? 0.001 : c }'
}

# Seconds of wall-clock time a command takes, its output thrown away.
bench_seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}
