#!/usr/bin/env bash
# Regenerates docs/themes.png, a screenshot of Zentora under every shipped theme with its Theme
# menu open, and docs/controls.png, the control gallery and its second page under every shipped
# theme, on a private virtual display.
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

# The theme files; a theme's images are in a folder beside it.
for theme in $(find Skin -maxdepth 1 -type f | LC_ALL=C sort); do
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

# The gallery and its second page (Ctrl+P) under each theme, a run a theme: each theme picked
# from the Theme menu with the keyboard (Alt+T, the item's place in the menu, which lists the
# folder in name order, then Enter).
mapfile -t themes < <(cd Skin && find . -maxdepth 1 -type f -printf '%f\n' | LC_ALL=C sort -f)
for i in "${!themes[@]}"; do
  name=${themes[$i]}
  wine "$work/app/VelumGallery.exe" &
  app=$!
  window=$(zentora_wait_window VelumGallery.exe)
  sleep 0.5
  xdotool windowfocus --sync "$window"
  keys=(alt+t)
  for ((k = 0; k < i; k++)); do keys+=(Down); done
  xdotool mousemove 1020 760 key "${keys[@]}" Return
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/gallery-$name.png"
  xdotool key ctrl+p
  sleep 1.5
  sheet=$(xdotool search --name 'Velum 控件样例 - 第二页' | head -1)
  eval "$(xdotool getwindowgeometry --shell "$sheet")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/page-$name.png"
  convert "$work/gallery-$name.png" \( "$work/page-$name.png" -background '#20242a' -gravity west -splice 10x0 \) \
    -background '#20242a' +append "$work/controls/$name.png"
  echo "gallery shot: $name"
  wineserver -k
  wait "$app" 2>/dev/null || true
done

sheet() {
  montage -label '%t' -font DejaVu-Sans -pointsize 15 -background '#20242a' -fill '#e6eaf0' \
    -tile "$3" -geometry +10+10 "$1"/*.png "$2"
  echo "wrote $2"
}
sheet "$work/shots" docs/themes.png 4x
sheet "$work/controls" docs/controls.png 2x
