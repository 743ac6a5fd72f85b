# Shared by the scripts that use Zentora (or the gallery) through X as a person does: a program
# folder of its own inside the build folder, starting and finding the window, and closing it.
# Sourced after `wine_run` and `exe` are set; zentora_session_init EXE NAME [PROGRAM] makes the
# folder, with the program in it as PROGRAM (Zentora.exe unless named).

program=Zentora.exe
zentora_session_init() {
  program=${3:-Zentora.exe}
  # The program folder sits inside the build folder: wine-run.sh picks the prefix from there.
  runs="$(cd "$(dirname "$1")" && pwd)/tests/runs"
  mkdir -p "$runs"
  app=$(mktemp -d "$runs/$2.XXXXXX")
  cp "$1" "$app/$program"
  log="$app/velum-calls.log"
  ini="$app/SerCheckConfig.ini"
  trap cleanup EXIT
}

pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$app"
}

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

# Wine names its X windows' class after the program file, and starts a program given by a
# Unix path through start.exe: the window's process is a child of $pid, found by its command
# line, which holds this run's own folder name (as a Windows path from 64-bit Wine, as a Unix
# path from 32-bit Wine).
window=
window_pid=
main_window_shown() {
  local w p class
  class=$(tr 'A-Z' 'a-z' <<<"$program" | sed 's/\./\\./g')
  for w in $(xdotool search --onlyvisible --classname "^$class\$" 2>/dev/null); do
    p=$(xdotool getwindowpid "$w" 2>/dev/null) || continue
    if tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | grep -qE "[\\/]$(basename "$app")[\\/]${program//./\\.}"; then
      window=$w
      window_pid=$p
      return 0
    fi
  done
  return 1
}
start() {
  "$wine_run" "$app/$program" >>"$app/wine.out" 2>&1 &
  pid=$!
  wait_for 60 main_window_shown || fail "no window of $program (pid $pid) within 60 s"
}
focus() {
  xdotool windowfocus --sync "$window" || fail "cannot focus window $window"
}
close() {
  focus
  xdotool key alt+F4
  wait_for 30 exited || fail "$program did not exit after Alt+F4"
  wait "$pid" || fail "$program exited with $?"
  pid=
}
exited() { ! kill -0 "$pid" 2>/dev/null; }

ini_names() { [ "$(cat "$ini" 2>/dev/null)" = "$(printf '[SETUP]\r\nSKIN=%s\r' "$1")" ]; }
visible_windows() { xdotool search --onlyvisible --pid "$window_pid" 2>/dev/null | wc -l; }
popup_open() { [ "$(visible_windows)" -ge 2 ]; }
popup_closed() { [ "$(visible_windows)" -le 1 ]; }
