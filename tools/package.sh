#!/usr/bin/env bash
# Installs what is missing, builds Brimvale and makes its Debian package in
# build/ (brimvale_<version>_<arch>.deb).
set -euo pipefail
BV_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$BV_ROOT/tools/deps.sh"
bv_prepare_build
cmake --build "$BUILD" --target brimvale brimvale-cli comp
echo "== Making the package"
(cd "$BUILD" && cpack -G DEB)
ls "$BUILD"/brimvale_*.deb
