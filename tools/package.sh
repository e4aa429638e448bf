#!/usr/bin/env bash
# Installs what is missing, builds Brimvale with the full hardening
# (-DBV_HARDENING=ON) in build-package/ and makes its Debian package there
# (brimvale_<version>-<revision>_<arch>.deb), then checks it with lintian
# where that is installed.
set -euo pipefail
BV_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$BV_ROOT/tools/deps.sh"
bv_ensure_packages
BUILD="$BV_ROOT/build-package"
bv_configure "$BUILD" -DBV_HARDENING=ON
echo "== Building"
cmake --build "$BUILD" --target brimvale brimvale-cli comp brimvale_gzipped
echo "== Making the package"
(cd "$BUILD" && cpack -G DEB)
deb=$(ls -t "$BUILD"/brimvale_*.deb | head -n 1)
echo "$deb"
if command -v lintian >/dev/null 2>&1; then
    echo "== lintian --info --display-info --pedantic"
    lintian --info --display-info --pedantic "$deb"
fi
