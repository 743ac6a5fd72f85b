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

# The program folder sits inside the build folder: wine-run.sh picks the prefix from there.
runs="$(cd "$(dirname "$exe")" && pwd)/tests/runs"
mkdir -p "$runs"
app=$(mktemp -d "$runs/keys.XXXXXX")
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$app"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for f in velum-calls.log SerCheckConfig.ini wine.out; do
    [ -f "$app/$f" ] && { echo "--- $f"; cat "$app/$f"; } >&2
  done
  exit 1
}

# wait_for SECONDS COMMAND...: polls until COMMAND succeeds.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.05
  done
}

cp "$exe" "$app/Zentora.exe"
cp "$engine" "$app/Velum_VB6.dll"
mkdir "$app/Skin"
for name in "delta.vlm" "Bravo.vlm" "alpha.vlm" "charlie theme.vlm" "echo.txt"; do
  printf '[Theme]\n' > "$app/Skin/$name"
done
log="$app/velum-calls.log"
ini="$app/SerCheckConfig.ini"
skin_windows=$(printf 'Z:%s' "$app/Skin" | tr '/' '\\')

# Wine names its X windows' class after the program file, and starts a program given by a
# Unix path through start.exe: the window's process is a child of $pid, found by its command
# line, which holds this run's own folder name (as a Windows path from 64-bit Wine, as a Unix
# path from 32-bit Wine).
window=
window_pid=
main_window_shown() {
  local w p
  for w in $(xdotool search --onlyvisible --classname '^zentora\.exe$' 2>/dev/null); do
    p=$(xdotool getwindowpid "$w" 2>/dev/null) || continue
    if tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | grep -qE "[\\/]$(basename "$app")[\\/]Zentora\.exe"; then
      window=$w
      window_pid=$p
      return 0
    fi
  done
  return 1
}
start() {
  "$wine_run" "$app/Zentora.exe" >>"$app/wine.out" 2>&1 &
  pid=$!
  wait_for 60 main_window_shown || fail "no window of Zentora (pid $pid) within 60 s"
}
focus() {
  xdotool windowfocus --sync "$window" || fail "cannot focus window $window"
}
close() {
  focus
  xdotool key alt+F4
  wait_for 30 exited || fail "Zentora did not exit after Alt+F4"
  wait "$pid" || fail "Zentora exited with $?"
  pid=
}
exited() { ! kill -0 "$pid" 2>/dev/null; }

# The menu's item texts at attach time, in menu order.
menu_items() { grep '^menu-item ' "$log" | cut -d' ' -f4-; }
attach_ex_count() { grep -c '^Velum_AttachEx(' "$log" || true; }
ini_names() { [ "$(cat "$ini" 2>/dev/null)" = "$(printf '[SETUP]\r\nSKIN=%s\r' "$1")" ]; }
visible_windows() { xdotool search --onlyvisible --pid "$window_pid" 2>/dev/null | wc -l; }
popup_open() { [ "$(visible_windows)" -ge 2 ]; }
popup_closed() { [ "$(visible_windows)" -le 1 ]; }

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
