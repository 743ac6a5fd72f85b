#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs all tests of both Windows
# architectures and of the native portable code, on one private virtual display.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
zentora_install
cd "$ZENTORA_ROOT"
zentora_build native win64 win32

zentora_start_display
export ZENTORA_TEST_DISPLAY=$DISPLAY
cleanup() {
  for prefix in "$ZENTORA_ROOT"/build/win{64,32}/wineprefix{,-dpi*}; do
    [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  done
  zentora_stop_display
}
trap cleanup EXIT

status=0
for preset in native win64 win32; do
  echo "== tests: $preset"
  ctest --preset "$preset" || status=1
done
exit $status
