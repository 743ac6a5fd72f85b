#!/usr/bin/env bash
# The Theme menu used with the mouse, as a person does, under the real engine: a plain click on
# 主题(T) opens the menu and leaves it open, a click on a theme applies and saves it, and the
# window takes that theme's look. xdotool clicks on the test display.
# Usage: theme-menu-mouse.sh WINE_RUN ZENTORA_EXE ENGINE_DLL SKIN_FOLDER
set -euo pipefail

wine_run=$1
exe=$2
engine=$3
skins=$4

if [ -z "${ZENTORA_TEST_DISPLAY:-}" ]; then
  echo "theme-menu-mouse: no test display; set ZENTORA_TEST_DISPLAY=:N (scripts/test.sh does)" >&2
  exit 1
fi
export DISPLAY=$ZENTORA_TEST_DISPLAY
source "$(dirname "$0")/zentora-session.sh"
zentora_session_init "$exe" mouse

cp "$engine" "$app/Velum_VB6.dll"
mkdir "$app/Skin"
cp "$skins"/*.vlm "$app/Skin/"
mapfile -t themes < <(cd "$app/Skin" && ls | LC_ALL=C sort -f)
printf '[SETUP]\r\nSKIN=velum.vlm\r\n' > "$ini"

# metric THEME KEY: a size from a theme's [Metrics] section.
metric() { sed -n "s/^$2 *= *\([0-9]*\).*/\1/p" "$app/Skin/$1" | head -n 1; }

# pick_with_mouse CURRENT_THEME INDEX: clicks 主题(T), checks the menu stays open, clicks the
# INDEX-th theme and checks it was saved.
pick_with_mouse() {
  local current=$1 index=$2 expected=${themes[$2]}
  local f caption bar item x y
  f=$(metric "$current" frame-width)
  caption=$(metric "$current" caption-height)
  bar=$(metric "$current" menubar-height)
  item=$(metric "$current" menu-item-height)
  eval "$(xdotool getwindowgeometry --shell "$window")"
  x=$((X + f + 16))
  y=$((Y + f + caption + bar / 2))
  xdotool mousemove "$x" "$y" click 1
  wait_for 10 popup_open || fail "a click on 主题(T) under $current opened no menu"
  sleep 0.5
  popup_open || fail "under $current the menu closed when the button was released"
  # Popup items start below the bar, after the menu's 3-pixel margin.
  y=$((Y + f + caption + bar + 3 + index * item + item / 2))
  xdotool mousemove "$((x + 30))" "$y" click 1
  wait_for 10 popup_closed || fail "the menu stayed open after a click on $expected"
  wait_for 10 ini_names "$expected" || fail "after a click on $expected, the settings file holds: $(cat "$ini")"
  echo "ok: under $current, a click on 主题(T) and on $expected applied and saved it"
}

start
focus
index_of() { local i; for i in "${!themes[@]}"; do [ "${themes[$i]}" = "$1" ] && echo "$i"; done; }
pick_with_mouse velum.vlm "$(index_of midnight.vlm)"
pick_with_mouse midnight.vlm "$(index_of contrast.vlm)"
pick_with_mouse contrast.vlm "$(index_of lavender.vlm)"
close
echo "PASS"
