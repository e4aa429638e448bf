#!/usr/bin/env bash
# Installs what is missing, builds Brimvale and makes its Debian package in
# build/ (brimvale_<version>-<revision>_<arch>.deb), then checks it with lintian
# where that is installed.
set -euo pipefail
BV_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$BV_ROOT/tools/deps.sh"
bv_prepare_build
cmake --build "$BUILD" --target brimvale brimvale-cli comp brimvale_gzipped
echo "== Making the package"
(cd "$BUILD" && cpack -G DEB)
deb=$(ls -t "$BUILD"/brimvale_*.deb | head -n 1)
echo "$deb"
if command -v lintian >/dev/null 2>&1; then
    echo "== lintian --info --display-info --pedantic"
    lintian --info --display-info --pedantic "$deb"
fi
