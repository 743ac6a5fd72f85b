#!/usr/bin/env bash
# Installs what is missing, builds the x64 program and runs it under Wine in the project's own
# prefix. Without a display it starts a virtual one and saves a screenshot of the window.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
zentora_install
cd "$ZENTORA_ROOT"
zentora_build win64

export WINEPREFIX="$ZENTORA_ROOT/build/run-wineprefix"
export WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="

started_display=0
if [ -z "${DISPLAY:-}" ]; then
  zentora_start_display
  started_display=1
fi
if [ ! -f "$WINEPREFIX/.zentora-ready" ]; then
  echo "run: making the Wine prefix $WINEPREFIX (once)"
  wineboot -i >/dev/null 2>&1
  # Wine draws the caption and frame itself, as Windows does.
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Decorated"="N"\n' > "$WINEPREFIX/zentora.reg"
  wine regedit "$WINEPREFIX/zentora.reg" >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.zentora-ready"
fi

cleanup() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null
  wineserver -k 2>/dev/null || true
  [ $started_display = 1 ] && zentora_stop_display
}
trap cleanup EXIT INT TERM

wine "$ZENTORA_ROOT/dist/win64/Zentora.exe" &
app_pid=$!

if [ $started_display = 1 ]; then
  window=
  for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --class Zentora.exe 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
  done
  sleep 1.5
  shot="$ZENTORA_ROOT/build/zentora-screenshot.png"
  import -window "${window:-root}" "$shot"
  echo "screenshot: $shot"
fi
echo "Zentora is running; press Ctrl-C to stop it."
wait "$app_pid"
