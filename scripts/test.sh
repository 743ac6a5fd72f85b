#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs all tests of both Windows
# architectures and of the native portable code; each architecture has a private virtual display.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
zentora_install
cd "$ZENTORA_ROOT"
zentora_build native win64 win32

cleanup() {
  for prefix in "$ZENTORA_ROOT"/build/win{64,32}/wineprefix{,-*}; do
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

# The two architectures run side by side, and each in two lanes: the engine's tests on windows
# of their own (labelled second_display) beside the rest. Each lane has its own display and Wine
# prefixes: most of the time is spent waiting on windows, not computing. Each line says which
# architecture it is from.
run_windows_tests() {
  local preset=$1 status=0
  (
    export ZENTORA_TEST_DISPLAY=$2 DISPLAY=$2
    set -o pipefail
    # The tests found in each program are listed once, before the lanes read the lists.
    ctest --preset "$preset" -N >/dev/null 2>&1 || true
    (
      export ZENTORA_TEST_DISPLAY=$3 DISPLAY=$3 ZENTORA_TEST_LANE=second
      ctest --preset "$preset" -L second_display 2>&1 | sed -u "s/^/[$preset] /"
    ) &
    local second=$!
    ctest --preset "$preset" -LE second_display 2>&1 | sed -u "s/^/[$preset] /" || status=1
    wait "$second" || status=1
    exit $status
  )
}
displays=()
for _ in 1 2 3 4; do
  zentora_start_display
  displays+=("$DISPLAY")
done
run_windows_tests win32 "${displays[2]}" "${displays[3]}" &
win32_tests=$!
run_windows_tests win64 "${displays[0]}" "${displays[1]}" || status=1
wait "$win32_tests" || status=1
exit $status
