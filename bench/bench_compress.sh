#!/usr/bin/env bash
# Builds and runs the compression benchmark: bench/bench_compress.sh [build dir] [parent folder] [rounds]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
cmake -S "$ROOT" -B "$BUILD" -G Ninja >/dev/null
cmake --build "$BUILD" --target bench_compress
"$BUILD/bench/bench_compress" "${2:-}" "${3:-3}"
