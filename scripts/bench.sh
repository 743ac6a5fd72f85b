#!/usr/bin/env bash
# Builds the benchmarks and runs them on a private virtual display, printing their figures:
# the Theme menu fill against a plain FindFirstFileW listing, and Zentora's start-up against a
# bare window program. Usage: scripts/bench.sh [win64|win32]...  (both when none is named)
#
# The display, the Wine server and the programs all run on one CPU (ZENTORA_BENCH_CPU, 0 unless
# set; "all" for none): on a virtual machine a wake-up across CPUs can cost more than the work
# measured, and it would then be the figures (docs/performance.md, "Noise").
set -euo pipefail
source "$(dirname "$0")/setup.sh"
zentora_install
cd "$ZENTORA_ROOT"

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(win64 win32)
for preset in "${presets[@]}"; do
  case $preset in win64 | win32) ;; *) echo "bench: unknown preset $preset" >&2; exit 2 ;; esac
  [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
  cmake --build "build/$preset" --target benchmarks
done

zentora_start_display
export ZENTORA_TEST_DISPLAY=$DISPLAY
# A desktop session loads a resource database for its display (xrdb). With none, Xlib looks for
# ~/.Xdefaults files again on every default Wine asks of it, dozens of times a repaint, which
# slows Wine's own drawing, the figures' reference, by about an eighth (docs/performance.md,
# "Noise"). The file below gives every program of the run a database, as a desktop would.
printf '*customization:\t-color\n' > build/Xresources
export XENVIRONMENT=$ZENTORA_ROOT/build/Xresources
cpu=${ZENTORA_BENCH_CPU:-0}
on_cpu=()
if [ "$cpu" != all ]; then
  taskset -p -c "$cpu" "${ZENTORA_XVFB_PIDS[-1]}" >/dev/null
  on_cpu=(taskset -c "$cpu")
  # A Wine server already running for a prefix would keep its CPUs: each preset's is started here.
  for p in "${presets[@]}"; do
    WINEPREFIX="$ZENTORA_ROOT/build/$p/wineprefix" wineserver -w 2>/dev/null || true
  done
fi
cleanup() {
  # Wait for the prefixes' Wine processes to end before the display goes (never kill them:
  # others may be using the prefix).
  for p in "${presets[@]}"; do
    WINEPREFIX="$ZENTORA_ROOT/build/$p/wineprefix" wineserver -w 2>/dev/null || true
  done
  zentora_stop_display
}
trap cleanup EXIT

for preset in "${presets[@]}"; do
  bench=build/$preset/bench
  echo "== benchmarks: $preset"
  # Large folders are made from the Unix side: Wine makes files in a large folder slowly.
  bash tests/make-many-themes.sh "$bench/themes-1000" 1000 >/dev/null
  bash tests/make-many-themes.sh "$bench/themes-32767" 32767 >/dev/null
  # Zentora's program folder: the program and engine of this build, the shipped themes, and a
  # saved theme so that the start applies one.
  rm -rf "$bench/zentora"
  mkdir -p "$bench/zentora"
  cp "build/$preset/Zentora.exe" "build/$preset/Velum_VB6.dll" "$bench/zentora/"
  cp -r Skin "$bench/zentora/Skin"
  printf '[SETUP]\r\nSKIN=velum.vlm\r\n' > "$bench/zentora/SerCheckConfig.ini"

  "${on_cpu[@]}" tests/wine-run.sh "$bench/skinlist_bench.exe" "${ZENTORA_BENCH_RUNS_SMALL:-15}" "${ZENTORA_BENCH_RUNS_LARGE:-3}"
  "${on_cpu[@]}" tests/wine-run.sh "$bench/startup_bench.exe" "${ZENTORA_BENCH_STARTS:-21}"
  "${on_cpu[@]}" tests/wine-run.sh "build/$preset/engine_bench.exe" "$(printf 'Z:%s\\' "$ZENTORA_ROOT/Skin" | tr '/' '\\')"
  "${on_cpu[@]}" tests/wine-run.sh "build/$preset/attach_bench.exe"
  "${on_cpu[@]}" tests/wine-run.sh "build/$preset/gallery_bench.exe" "$(printf 'Z:%s' "$ZENTORA_ROOT/Skin" | tr '/' '\\')"
done
