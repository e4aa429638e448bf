#!/usr/bin/env bash
# Rebuilds the program's pictures in res/images from DrawArtwork.cpp.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
g++ -std=c++20 -O1 -fPIC "$HERE/DrawArtwork.cpp" -o "$WORK/draw-artwork" \
    $(pkg-config --cflags --libs Qt6Gui Qt6Svg)
QT_QPA_PLATFORM=offscreen "$WORK/draw-artwork" "$ROOT/res/images"
# Transparent pixels of the drive images carry white, the colour that masks
# them out, for readers that drop the alpha channel.
for strip in "$ROOT/res/images/drives.png" "$ROOT/res/images/drives@2x.png"; do
    convert "$strip" -background white -alpha background "$strip"
done
