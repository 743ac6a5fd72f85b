#!/usr/bin/env bash
# velum-try as an engine user runs it, on a program nobody here wrote: Wine's notepad.
# - the failures velum-try reports, as a table of arguments, exit code and message;
# - notepad under the test theme: the caption in the theme's colour, the outer size of an
#   unskinned notepad, a file name with spaces handed over, typing, a keyboard menu and a mouse
#   click on the menu bar working, and notepad's exit code passed through; then under the
#   theme's other scheme;
# - notepad started by a launcher that ends at once (the probe's "launch"): notepad skinned and
#   its exit code passed through, or, when it is of the other architecture, refused and ended.
# Usage: velum-try-notepad.sh WINE_RUN VELUM_TRY_EXE PROBE_EXE x64|x86 TRY_THEME BROKEN_THEME
set -euo pipefail

wine_run=$1
try_exe=$2
probe_exe=$3
arch=$4
theme_file=$5
broken_file=$6

if [ -z "${ZENTORA_TEST_DISPLAY:-}" ]; then
  echo "velum-try-notepad: no test display; set ZENTORA_TEST_DISPLAY=:N (scripts/test.sh does)" >&2
  exit 1
fi
export DISPLAY=$ZENTORA_TEST_DISPLAY

build=$(cd "$(dirname "$try_exe")" && pwd)
mkdir -p "$build/tests/runs"
work=$(mktemp -d "$build/tests/runs/velum-try.XXXXXX")
try_pid=
cleanup() {
  # A notepad left by a failed check, whether velum-try still waits for it or not.
  if xdotool search --onlyvisible --classname '^notepad\.exe$' >/dev/null 2>&1; then
    "$wine_run" "$probe_exe" end Notepad 1 >/dev/null 2>&1 || true
  fi
  [ -z "$try_pid" ] || wait "$try_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/try.out" ] && { echo "--- velum-try's output"; cat "$work/try.out"; } >&2
  exit 1
}

# wait_for SECONDS COMMAND...: polls until COMMAND succeeds.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
}

windows_path() { printf 'Z:%s' "$1" | sed 's#/#\\#g'; }

cp "$theme_file" "$work/try.vlm"
theme=$(windows_path "$work/try.vlm")
broken=$(windows_path "$broken_file")
# A folder the ANSI code page cannot spell: velum-try reaches it through the engine's wide calls.
mkdir -p "$work/테마🎨"
cp "$broken_file" "$work/테마🎨/bad.vlm"
broken_wide=$(windows_path "$work/테마🎨/bad.vlm")
printf 'hello' >"$work/name with spaces.txt"
text_file=$(windows_path "$work/name with spaces.txt")
# Notepad of the other architecture, by a path that no file-system redirection changes.
if [ "$arch" = x64 ]; then other=syswow64; else other=system32; fi
other_notepad=$(windows_path "$build/wineprefix/drive_c/windows/$other/notepad.exe")
launcher=$(windows_path "$probe_exe")
# wine-run.sh makes the test prefix at its first call, which may be this one's.
"$wine_run" "$probe_exe" sleep 0 || fail "the test prefix cannot run the probe"
[ -f "$build/wineprefix/drive_c/windows/$other/notepad.exe" ] || fail "no $other/notepad.exe in the test prefix"

# velum-try's own failures: expected exit code, a piece of its message, then the arguments.
# None of them may leave a program running.
failures=(
  "120|no '--'|"
  "120|no '--'|$theme notepad.exe"
  "120|no program after|$theme --"
  "120|at most one scheme|$theme Dark Light -- notepad.exe"
  "120|--timeout takes|--timeout=0 $theme -- notepad.exe"
  "120|unknown option|--wait $theme -- notepad.exe"
  "121|cannot open the theme file|$(windows_path "$work/missing.vlm") -- notepad.exe"
  "121|no scheme|$theme Sepia -- notepad.exe"
  "121|error|$broken -- notepad.exe"
  "121|bad.vlm:5:20: error: '#12345G' is not a colour|$broken_wide -- notepad.exe"
  "122|cannot find the program|$theme -- no-such-program.exe"
  "122|not a Windows program|$theme -- $theme"
  "123|use the velum-try.exe of|$theme -- $other_notepad"
  "123|notepad.exe (process|$theme -- $launcher launch $other_notepad"
  "124|exit code 7) before it showed a window|$theme -- cmd.exe /c exit 7"
  "124|showed no window within 1 s|--timeout=1 $theme -- $(windows_path "$probe_exe") sleep 30"
)
# expect_failure VELUM_TRY CODE MESSAGE ARGS
expect_failure() {
  local exe=$1 code=$2 message=$3 args=$4 status=0
  # shellcheck disable=SC2086 # the arguments are split at spaces; none holds one
  "$wine_run" "$exe" $args >"$work/try.out" 2>&1 || status=$?
  [ "$status" = "$code" ] || fail "velum-try $args exited with $status, not $code"
  grep -aqF -- "$message" "$work/try.out" || fail "velum-try $args did not say \"$message\""
  echo "ok: velum-try $args -> $code ($(grep -aF -- "$message" "$work/try.out" | head -n 1))"
}
for row in "${failures[@]}"; do
  IFS='|' read -r code message args <<<"$row"
  expect_failure "$try_exe" "$code" "$message" "$args"
done
# Without its hook DLL, velum-try finds that out after notepad has started, and ends it.
mkdir "$work/no-hook"
cp "$try_exe" "$(dirname "$try_exe")/Velum_VB6.dll" "$work/no-hook/"
expect_failure "$work/no-hook/$(basename "$try_exe")" 125 "VelumTryHook.dll" "$theme -- notepad.exe"
notepad_gone() { ! xdotool search --onlyvisible --classname '^notepad\.exe$' >/dev/null 2>&1; }
wait_for 5 notepad_gone || fail "a failed velum-try left a notepad window"
# This architecture's probe only: the other architecture's tests run at the same time.
probe_gone() { ! pgrep -f "$(basename "$(dirname "$(dirname "$probe_exe")")").tests.velum_try_probe\.exe sleep" >/dev/null; }
if ! wait_for 5 probe_gone; then
  fail "velum-try left running the program that showed no window"
fi

# The probe's lines end in CR LF, as a Windows program writes them.
probe() { "$wine_run" "$probe_exe" "$@" | tr -d '\r'; }
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n 1; }

unskinned_size=$(probe plain-size notepad.exe) || fail "an unskinned notepad did not start"

notepad_window=
notepad_shown() {
  notepad_window=$(xdotool search --onlyvisible --classname '^notepad\.exe$' 2>/dev/null | head -n 1)
  [ -n "$notepad_window" ]
}
# caption_is COLOUR: the caption's colour a few pixels below its top, away from the title.
caption_is() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$notepad_window")"
  [ "$(pixel $((X + WIDTH / 2)) $((Y + 5 + 4)))" = "$1" ]
}
text_is() { [ "$(probe text Notepad)" = "$1" ]; }

# start_try ARGS...: velum-try in the background, until notepad's caption is in the theme.
start_try() {
  "$wine_run" "$try_exe" "$@" >"$work/try.out" 2>&1 &
  try_pid=$!
  wait_for 30 notepad_shown || fail "no notepad window from velum-try $*"
}
# wait_try: velum-try's exit code into $status.
wait_try() {
  status=0
  wait "$try_pid" || status=$?
  try_pid=
}

start_try "$theme" -- notepad.exe "$text_file"
wait_for 10 caption_is '#B03A7C' || fail "notepad's caption is not in the theme's colour #B03A7C"
echo "ok: notepad's caption is in the theme's colour"
size=$(probe size Notepad)
[ "$size" = "$unskinned_size" ] || fail "notepad's window is $size skinned, $unskinned_size unskinned"
echo "ok: notepad's window keeps its outer size $size, as unskinned"
text_is hello || fail "notepad did not open \"name with spaces.txt\": its text is '$(probe text Notepad)'"
xdotool windowfocus --sync "$notepad_window" || fail "cannot focus notepad"
xdotool key ctrl+End
xdotool type ' world'
wait_for 5 text_is 'hello world' || fail "typed text did not reach notepad: '$(probe text Notepad)'"
echo "ok: notepad opened the file named with spaces and takes typed text"
# 编辑(E) -> 全选(A), then typing replaces the whole text.
xdotool key alt+e
sleep 0.3
xdotool key a
xdotool type 'x'
wait_for 5 text_is x || fail "Alt+E, A (select all) and x left '$(probe text Notepad)'"
echo "ok: a keyboard menu works in the skinned notepad"
# A plain click on 文件(F) opens its menu and leaves it open; Escape closes it.
eval "$(xdotool getwindowgeometry --shell "$notepad_window")"
notepad_pid=$(xdotool getwindowpid "$notepad_window")
visible_windows() { xdotool search --onlyvisible --pid "$notepad_pid" 2>/dev/null | wc -l; }
popup_open() { [ "$(visible_windows)" -ge 2 ]; }
popup_closed() { [ "$(visible_windows)" -le 1 ]; }
xdotool mousemove $((X + 5 + 25)) $((Y + 5 + 30 + 12)) click 1
wait_for 5 popup_open || fail "a click on notepad's 文件(F) opened no menu"
sleep 0.5
popup_open || fail "notepad's 文件(F) menu closed when the button was released"
xdotool key Escape Escape
wait_for 5 popup_closed || fail "Escape did not close notepad's menu"
echo "ok: a mouse click opens a menu of the skinned notepad and leaves it open"
probe end Notepad 42 || fail "cannot end notepad"
wait_try
[ "$status" = 42 ] || fail "velum-try exited with $status after notepad ended with 42"
grep -qF "is skinned with $theme" "$work/try.out" || fail "velum-try did not report the attach"
echo "ok: notepad's exit code 42 came back from velum-try"

start_try "$theme" Dark -- notepad.exe
wait_for 10 caption_is '#2E8B57' || fail "under the Dark scheme notepad's caption is not #2E8B57"
# Ended rather than closed, as a program that is killed: velum-try still passes its code on.
probe end Notepad 0 || fail "cannot end notepad"
wait_try
[ "$status" = 0 ] || fail "velum-try exited with $status after notepad ended with 0"
grep -qF "is skinned with $theme, scheme Dark" "$work/try.out" || fail "velum-try did not report the scheme"
echo "ok: the Dark scheme is drawn, and notepad's exit code 0 came back"

start_try "$theme" -- "$launcher" launch notepad.exe
wait_for 10 caption_is '#B03A7C' || fail "the caption of notepad started by a launcher is not #B03A7C"
probe end Notepad 9 || fail "cannot end notepad"
wait_try
[ "$status" = 9 ] || fail "velum-try exited with $status after the launcher ended with 3 and notepad with 9"
grep -qF "started from $launcher) is skinned" "$work/try.out" || fail "velum-try did not report notepad's launcher"
echo "ok: notepad started by a launcher is skinned, and its exit code 9 came back"
echo "PASS"
