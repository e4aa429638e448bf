#!/usr/bin/env bash
# Builds and runs the delete benchmark: bench/bench_delete.sh [build dir] [file count]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
COUNT=${2:-100000}
cmake -S "$ROOT" -B "$BUILD" -G Ninja >/dev/null
cmake --build "$BUILD" --target bench_delete
"$BUILD/bench/bench_delete" "$COUNT"
