#!/usr/bin/env bash
# Installs what is missing, builds the x64 program and runs it under Wine in the project's own
# prefix. Without a display it starts a virtual one and saves a screenshot of the window.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
zentora_install
cd "$ZENTORA_ROOT"
zentora_build win64

started_display=0
if [ -z "${DISPLAY:-}" ]; then
  zentora_start_display
  started_display=1
fi
zentora_prepare_prefix "$ZENTORA_ROOT/build/run-wineprefix"

cleanup() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null
  wineserver -k 2>/dev/null || true
  [ $started_display = 1 ] && zentora_stop_display
}
trap cleanup EXIT INT TERM

wine "$ZENTORA_ROOT/dist/win64/Zentora.exe" &
app_pid=$!

if [ $started_display = 1 ]; then
  window=$(zentora_wait_window) || window=root
  sleep 1.5
  shot="$ZENTORA_ROOT/build/zentora-screenshot.png"
  import -window "$window" "$shot"
  echo "screenshot: $shot"
fi
echo "Zentora is running; press Ctrl-C to stop it."
wait "$app_pid"
