#!/usr/bin/env bash
# Regenerates docs/themes.png: a screenshot of Zentora under every shipped theme, with its
# Theme menu open, on a private virtual display.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
zentora_install
cd "$ZENTORA_ROOT"
zentora_build win64

zentora_start_display
zentora_prepare_prefix "$ZENTORA_ROOT/build/sheet-wineprefix"
work="$ZENTORA_ROOT/build/contact-sheet"
rm -rf "$work"
mkdir -p "$work/shots"
cp -r dist/win64 "$work/app"
cleanup() {
  wineserver -k 2>/dev/null || true
  zentora_stop_display
}
trap cleanup EXIT

for theme in Skin/*; do
  name=$(basename "$theme")
  printf '[SETUP]\r\nSKIN=%s\r\n' "$name" > "$work/app/SerCheckConfig.ini"
  wine "$work/app/Zentora.exe" &
  app=$!
  window=$(zentora_wait_window)
  sleep 0.5
  xdotool windowfocus --sync "$window"
  xdotool key alt+t
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$window")"
  # The window with a margin below it, where the open menu may reach past its bottom edge.
  import -window root -crop "$((WIDTH + 16))x$((HEIGHT + 16))+$((X - 8))+$((Y - 8))" +repage "$work/shots/$name.png"
  xdotool key Escape Escape
  wineserver -k
  wait "$app" 2>/dev/null || true
  echo "shot: $name"
done

montage -label '%t' -font DejaVu-Sans -pointsize 15 -background '#20242a' -fill '#e6eaf0' \
  -tile 4x -geometry +10+10 "$work"/shots/*.png docs/themes.png
echo "wrote docs/themes.png"
