#!/usr/bin/env bash
# Installs what is missing, builds Brimvale with its tests and runs them all.
set -euo pipefail
BV_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$BV_ROOT/tools/deps.sh"
bv_prepare_build
cmake --build "$BUILD"
echo "== Running the tests"
ctest --test-dir "$BUILD" --output-on-failure -j "$(nproc)"
