#!/usr/bin/env bash
# Runs one benchmark once at a tiny size, so that a change that breaks a
# benchmark fails the tests instead of going unseen until someone measures:
#
#   bench/smoke.sh NAME BUILD_DIR
#
# NAME is a benchmark program of build/bench or a script of bench/. The run
# passes when the benchmark exits 0 and prints its figures; no time is
# judged. Everything it writes stays in a temporary folder of its own. A
# benchmark without a case here fails, so a new one cannot be forgotten.
set -uo pipefail
name=${1:?usage: smoke.sh NAME BUILD_DIR}
build=${2:?usage: smoke.sh NAME BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/bench-smoke-XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work QT_QPA_PLATFORM=offscreen HOME=$work XDG_CONFIG_HOME=$work/config
bin=$build/bench/$name

# A small tree made by the generator the real runs use.
tree() {
    python3 "$here/gen_tree.py" "$work/tree" --files 400 --folders 40 >/dev/null && echo "$work/tree"
}

case $name in
bench_compress) cmd=("$bin" "$work" 1 100) ;;
bench_crash) cmd=("$bin" 2 20) ;;
bench_deep) cmd=("$bin" 40 "$work") ;;
bench_delete) cmd=("$bin" 200 "$work") ;;
bench_emptied) cmd=("$bin" 300 "$work") ;;
bench_exit) cmd=("$bin" 2000) ;;
bench_frees) cmd=("$bin" 256 --files 2000) ;;
bench_gallery) cmd=("$bin" --grab "$work/gallery.png") ;;
bench_match) cmd=("$bin" 2000) ;;
bench_model) cmd=("$bin" 3000) ;;
bench_pages) cmd=("$bin" --out "$work/pages" --lang de) ;;
bench_move) mkdir -p "$work/a" "$work/b" && cmd=("$bin" 40 "$work/a" "$work/b") ;;
bench_protection) cmd=(bash -c '"$1" "$2" && "$1" "$2" --express-report' _ "$bin" "$(tree)") ;;
bench_scan) cmd=("$bin" "$(tree)" --all --ops) ;;
bench_stall) cmd=("$bin" "$(tree)" --delete 50) ;;
bench_walk) cmd=("$bin" "$(tree)") ;;
scan_vs_find.sh) cmd=(env COLD=0 bash "$here/$name" "$(tree)" "$build/bench/bench_scan" 1) ;;
walk_vs_find.sh) cmd=(bash "$here/$name" "$(tree)" "$build/bench/bench_walk" 1) ;;
cli_vs_find.sh) cmd=(bash "$here/$name" "$(tree)" "$build/brimvale-cli" 1) ;;
*)
    echo "no smoke run for $name: add one to bench/smoke.sh"
    exit 1
    ;;
esac

out=$("${cmd[@]}" 2>&1)
status=$?
echo "$out"
if [[ $name == bench_frees && $out == *"needs a private mount namespace"* ]]; then
    exit 77 # no namespace here: skipped, not failed
fi
if [[ $status -ne 0 ]]; then
    echo "$name exited with $status"
    exit 1
fi
if [[ -z ${out//[[:space:]]/} ]]; then
    echo "$name printed nothing"
    exit 1
fi
