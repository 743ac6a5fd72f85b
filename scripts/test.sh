#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs all tests of both Windows
# architectures and of the native portable code; each architecture has a private virtual display.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
zentora_install
cd "$ZENTORA_ROOT"
zentora_build native win64 win32

cleanup() {
  for prefix in "$ZENTORA_ROOT"/build/win{64,32}/wineprefix{,-dpi*}; do
    [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  done
  zentora_stop_display
}
trap cleanup EXIT

status=0
echo "== format"
zentora_check_format || status=1

echo "== tests: native"
ctest --preset native || status=1

# The two architectures run side by side, each with its own display and Wine prefix: most of
# their time is spent waiting on windows, not computing. Each line says which one it is from.
run_windows_tests() {
  local preset=$1
  (
    export ZENTORA_TEST_DISPLAY=$2 DISPLAY=$2
    set -o pipefail
    ctest --preset "$preset" 2>&1 | sed -u "s/^/[$preset] /"
  )
}
zentora_start_display
win64_display=$DISPLAY
zentora_start_display
run_windows_tests win32 "$DISPLAY" &
win32_tests=$!
run_windows_tests win64 "$win64_display" || status=1
wait "$win32_tests" || status=1
exit $status
