#!/usr/bin/env bash
# Screenshots of every page and the main dialogs at screen scales 1, 1.5 and
# 2, light and dark, English and German, under a virtual X server, to look
# at (not a test):  bash bench/screenshots.sh [BUILD] [OUT]
# Needs xvfb (xvfb-run).
set -euo pipefail
BUILD=${1:-build}
OUT=${2:-$BUILD/screenshots}
for scale in 1 1.5 2; do
  for theme in light dark; do
    for lang in en de; do
      dir="$OUT/scale$scale-$theme-$lang"
      args=(--out "$dir" --lang "$lang")
      [ "$theme" = dark ] && args+=(--dark)
      QT_SCALE_FACTOR=$scale xvfb-run -a "$BUILD/bench/bench_pages" "${args[@]}"
      echo "$dir"
    done
  done
done
