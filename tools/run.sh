#!/usr/bin/env bash
# Installs what is missing, builds Brimvale and starts the wizard.
set -euo pipefail
BV_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$BV_ROOT/tools/deps.sh"
bv_prepare_build
cmake --build "$BUILD" --target brimvale
echo "== Starting $BUILD/brimvale"
exec "$BUILD/brimvale"
