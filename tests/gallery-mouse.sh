#!/usr/bin/env bash
# The shipped gallery program used as a person does: without the engine beside it, it reports
# that and exits; with the engine and Skin beside it, a plain click on 主题(T) and then on a theme changes
# the whole dialog's look (compared on screenshots from X), twice in a row, and Alt+F4 closes it
# with exit code 0.
# Usage: gallery-mouse.sh WINE_RUN GALLERY_EXE ENGINE_DLL SKIN_FOLDER
set -euo pipefail

wine_run=$1
exe=$2
engine=$3
skins=$4

if [ -z "${ZENTORA_TEST_DISPLAY:-}" ]; then
  echo "gallery-mouse: no test display; set ZENTORA_TEST_DISPLAY=:N (scripts/test.sh does)" >&2
  exit 1
fi
export DISPLAY=$ZENTORA_TEST_DISPLAY
source "$(dirname "$0")/zentora-session.sh"
zentora_session_init "$exe" gallery VelumGallery.exe

mkdir "$app/Skin"
cp "$skins"/*.vlm "$app/Skin/"

# Without the engine beside it, the gallery says so in a message box and on stderr, and exits
# with the error's number (53, file not found) once the box is closed. It runs in its own
# folder: Windows also looks for a DLL in the current folder, and the tests' folder has one.
cd "$app"
start
# The box may show before it takes keys, and Wine may replace the first X window it showed:
# the box is looked up again each round, and Enter pressed until it closes.
for _ in 1 2 3 4 5 6 7 8 9 10; do
  if main_window_shown && xdotool windowfocus --sync "$window" 2>/dev/null; then
    xdotool key Return
  fi
  wait_for 2 exited && break
done
exited || fail "the gallery without its engine did not exit after Enter on its message"
status=0
wait "$pid" || status=$?
pid=
[ "$status" = 53 ] || fail "the gallery without its engine exited with $status, not 53"
grep -q 'Velum_VB6.dll' "$app/wine.out" || fail "the gallery without its engine did not name it on stderr"
echo "ok: without Velum_VB6.dll the gallery reported it and exited with 53"
cp "$engine" "$app/Velum_VB6.dll"
# The gallery lists the folder in name order, ignoring case.
mapfile -t themes < <(cd "$app/Skin" && ls | LC_ALL=C sort -f)
index_of() { local i; for i in "${!themes[@]}"; do [ "${themes[$i]}" = "$1" ] && echo "$i"; done; return 0; }

# metric THEME KEY: a size from a theme's [Metrics] section.
metric() { sed -n "s/^$2 *= *\([0-9]*\).*/\1/p" "$app/Skin/$1" | head -n 1; }

# shot FILE: the window as X shows it.
shot() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$app/$1"
}

# changed A B: how many pixels of two shots differ.
changed() { compare -metric AE "$app/$1" "$app/$2" null: 2>&1 || true; }

popup() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$window_pid" 2>/dev/null); do
    [ "$w" != "$window" ] && { echo "$w"; return 0; }
  done
  return 1
}
popup_closed() { ! popup >/dev/null; }

# pick_with_mouse CURRENT_THEME THEME: clicks 主题(T) in the menu bar (placed by the current
# theme's sizes), then the theme's item in the popup that opened.
pick_with_mouse() {
  local current=$1 theme=$2 index f caption bar item x y menu
  index=$(index_of "$theme")
  f=$(metric "$current" frame-width)
  caption=$(metric "$current" caption-height)
  bar=$(metric "$current" menubar-height)
  item=$(metric "$current" menu-item-height)
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove "$((X + f + 16))" "$((Y + f + caption + bar / 2))" click 1
  wait_for 10 popup >/dev/null || fail "a click on 主题(T) under $current opened no menu"
  sleep 0.3
  menu=$(popup)
  eval "$(xdotool getwindowgeometry --shell "$menu")"
  # Items start after the popup's 3-pixel margin.
  xdotool mousemove "$((X + 30))" "$((Y + 3 + index * item + item / 2))" click 1
  wait_for 10 popup_closed || fail "the menu stayed open after a click on $theme"
  xdotool mousemove 1020 760
  sleep 0.8
}

start
focus
xdotool mousemove 1020 760
sleep 0.8
shot velum.png
eval "$(xdotool getwindowgeometry --shell "$window")"
area=$((WIDTH * HEIGHT))

previous=velum.vlm
for theme in midnight.vlm contrast.vlm; do
  pick_with_mouse "$previous" "$theme"
  shot "$theme.png"
  differ=$(changed "${previous%.vlm}.png" "$theme.png")
  differ=${differ%% *}
  # Caption, menu bar, background, buttons and boxes take the new colours: most of the window.
  [ "${differ%.*}" -gt $((area / 3)) ] ||
    fail "after a click on $theme under $previous, only $differ of $area pixels changed"
  echo "ok: a click on 主题(T) and on $theme under $previous changed $differ of $area pixels"
  cp "$app/$theme.png" "$app/${theme%.vlm}.png"
  previous=$theme
done
close
echo "PASS"
