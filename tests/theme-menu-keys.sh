#!/usr/bin/env bash
# The Theme menu used from the keyboard, as a person does: Alt+T opens it on the first theme,
# arrows move, Enter applies; the settings file then names the theme, and the next start
# applies it again. Zentora runs under Wine (through wine-run.sh) with the recording engine,
# and xdotool types on the test display.
# Usage: theme-menu-keys.sh WINE_RUN ZENTORA_EXE RECORDING_ENGINE_DLL
set -euo pipefail

wine_run=$1
exe=$2
engine=$3

if [ -z "${ZENTORA_TEST_DISPLAY:-}" ]; then
  echo "theme-menu-keys: no test display; set ZENTORA_TEST_DISPLAY=:N (scripts/test.sh does)" >&2
  exit 1
fi
command -v xdotool >/dev/null || { echo "theme-menu-keys: xdotool is missing" >&2; exit 1; }
export DISPLAY=$ZENTORA_TEST_DISPLAY

source "$(dirname "$0")/zentora-session.sh"
zentora_session_init "$exe" keys

cp "$engine" "$app/Velum_VB6.dll"
mkdir "$app/Skin"
for name in "delta.vlm" "Bravo.vlm" "alpha.vlm" "charlie theme.vlm" "echo.txt"; do
  printf '[Theme]\n' > "$app/Skin/$name"
done
skin_windows=$(printf 'Z:%s' "$app/Skin" | tr '/' '\\')

# The menu's item texts at attach time, in menu order.
menu_items() { grep '^menu-item ' "$log" | cut -d' ' -f4-; }
attach_ex_count() { grep -c '^Velum_AttachEx(' "$log" || true; }

# pick EXPECTED KEYS...: opens the menu with Alt+T, types KEYS, and checks that EXPECTED was
# applied and saved.
pick() {
  local expected=$1
  shift
  local before
  before=$(attach_ex_count)
  focus
  xdotool key alt+t
  wait_for 10 popup_open || fail "Alt+T opened no menu"
  xdotool key "$@"
  wait_for 10 popup_closed || fail "the menu stayed open after: $*"
  wait_for 10 ini_names "$expected" || fail "after Alt+T $*, the settings file does not name $expected"
  [ "$(attach_ex_count)" = $((before + 1)) ] || fail "after Alt+T $*, not exactly one engine call"
  local last
  last=$(grep '^Velum_AttachEx(' "$log" | tail -n 1)
  [ "$last" = "Velum_AttachEx(\"$skin_windows\\$expected\", \"\")" ] || fail "after Alt+T $*, the engine got: $last"
  echo "ok: Alt+T $* -> $expected"
}

start
mapfile -t items < <(menu_items)
[ "${#items[@]}" = 5 ] || fail "the menu holds ${#items[@]} items, not 5"
echo "menu: ${items[*]}"

for k in 0 1 2 4 3; do
  keys=()
  for ((i = 0; i < k; i++)); do keys+=(Down); done
  pick "${items[k]}" "${keys[@]}" Return
done
pick "${items[4]}" Up Return
pick "${items[0]}" Down Down Escape Escape alt+t Return
close

# The next start applies the saved theme once the engine is attached.
: > "$log"
start
mapfile -t calls < <(grep -v '^menu' "$log")
expected_calls=("Velum_Attach()" "Velum_AttachEx(\"$skin_windows\\${items[0]}\", \"\")")
[ "${calls[*]}" = "${expected_calls[*]}" ] || fail "second start made these engine calls: ${calls[*]}"
echo "ok: the second start applied ${items[0]}"
close
echo "PASS"
