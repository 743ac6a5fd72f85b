#!/usr/bin/env bash
# Regenerates docs/themes.png, a screenshot of Zentora under every shipped theme with its Theme
# menu open, and docs/controls.png, the control gallery under every shipped theme, on a private
# virtual display.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
zentora_install
cd "$ZENTORA_ROOT"
zentora_build win64

zentora_start_display
zentora_prepare_prefix "$ZENTORA_ROOT/build/sheet-wineprefix"
work="$ZENTORA_ROOT/build/contact-sheet"
rm -rf "$work"
mkdir -p "$work/shots" "$work/controls"
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

# The gallery, one run: each theme picked from its Theme menu with the keyboard (Alt+T, the
# item's place in the menu, which lists the folder in name order, then Enter).
mapfile -t themes < <(cd Skin && ls | LC_ALL=C sort -f)
wine "$work/app/VelumGallery.exe" &
app=$!
window=$(zentora_wait_window VelumGallery.exe)
sleep 0.5
xdotool mousemove 1020 760
for i in "${!themes[@]}"; do
  name=${themes[$i]}
  xdotool windowfocus --sync "$window"
  keys=(alt+t)
  for ((k = 0; k < i; k++)); do keys+=(Down); done
  xdotool key "${keys[@]}" Return
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/controls/$name.png"
  echo "gallery shot: $name"
done
wineserver -k
wait "$app" 2>/dev/null || true

sheet() {
  montage -label '%t' -font DejaVu-Sans -pointsize 15 -background '#20242a' -fill '#e6eaf0' \
    -tile 4x -geometry +10+10 "$1"/*.png "$2"
  echo "wrote $2"
}
sheet "$work/shots" docs/themes.png
sheet "$work/controls" docs/controls.png
