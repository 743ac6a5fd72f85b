#!/usr/bin/env bash
# Draws the artwork of the image themes (Skin/glass/, Skin/slate/) again from
# tools/theme-art/ThemeArt.cpp: builds the generator in the native preset and runs it over Skin/.
# The images are committed; a run on an unchanged generator writes the same bytes.
# BUILD_DIR=... picks another native build folder (default: build/native).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/native}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset native -S "$root" -B "$build" >/dev/null
fi
cmake --build "$build" --target theme-art
"$build/theme-art" "$root/Skin"
