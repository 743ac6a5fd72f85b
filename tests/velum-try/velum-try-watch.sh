#!/usr/bin/env bash
# velum-try --watch as a theme author uses it: Wine's notepad under a copy of the test theme,
# then a table of saves of that copy, each made the way some editor makes it (written in place,
# or written to a new file renamed over it). After each save, velum-try's console tells that it
# took the save (a line on stdout when applied, the engine's error with the file's line number
# on stderr when not) and notepad's caption shows the look: the new colour, or the last good
# one after a broken save. Each save's outcome is printed once, and notepad's exit code comes
# back from velum-try.
# Usage: velum-try-watch.sh WINE_RUN VELUM_TRY_EXE PROBE_EXE TRY_THEME
set -euo pipefail

wine_run=$1
try_exe=$2
probe_exe=$3
theme_file=$4

if [ -z "${ZENTORA_TEST_DISPLAY:-}" ]; then
  echo "velum-try-watch: no test display; set ZENTORA_TEST_DISPLAY=:N (scripts/test.sh does)" >&2
  exit 1
fi
export DISPLAY=$ZENTORA_TEST_DISPLAY

build=$(cd "$(dirname "$try_exe")" && pwd)
mkdir -p "$build/tests/runs"
work=$(mktemp -d "$build/tests/runs/velum-try-watch.XXXXXX")
try_pid=
cleanup() {
  if xdotool search --onlyvisible --classname '^notepad\.exe$' >/dev/null 2>&1; then
    "$wine_run" "$probe_exe" end Notepad 1 >/dev/null 2>&1 || true
  fi
  [ -z "$try_pid" ] || wait "$try_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for f in try.out try.err; do
    [ -f "$work/$f" ] && { echo "--- velum-try's $f"; cat "$work/$f"; } >&2
  done
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
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n 1; }

notepad_window=
notepad_shown() {
  notepad_window=$(xdotool search --onlyvisible --classname '^notepad\.exe$' 2>/dev/null | head -n 1)
  [ -n "$notepad_window" ]
}
# caption: the caption's colour a few pixels below its top, away from the title.
caption() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$notepad_window")"
  pixel $((X + WIDTH / 2)) $((Y + 5 + 4))
}
caption_is() { [ "$(caption)" = "$1" ]; }
# lines FILE TEXT: how many lines of velum-try's FILE hold TEXT.
lines() { grep -acF -- "$2" "$work/$1" || true; }
lines_are() { [ "$(lines "$1" "$2")" = "$3" ]; }

cp "$theme_file" "$work/watch.vlm"
theme=$(windows_path "$work/watch.vlm")
caption_line=$(grep -n '^background = #B03A7C' "$work/watch.vlm" | cut -d: -f1)
[ -n "$caption_line" ] || fail "the test theme has no caption background #B03A7C"

# Wine run straight, not through wine-run.sh, which shows a program's output only once it has
# ended: the table below reads velum-try's console while it runs. The prefix is wine-run.sh's,
# made by its first call.
"$wine_run" "$probe_exe" sleep 0 || fail "the test prefix cannot run the probe"
WINEPREFIX="$build/wineprefix" WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 \
  WINEDLLOVERRIDES="mscoree,mshtml=" wine "$try_exe" --watch "$theme" -- notepad.exe \
  </dev/null >"$work/try.out" 2>"$work/try.err" &
try_pid=$!
wait_for 30 notepad_shown || fail "no notepad window from velum-try --watch"
wait_for 10 caption_is '#B03A7C' || fail "notepad's caption is not in the theme's colour #B03A7C"
wait_for 10 lines_are try.out "watching $theme" 1 || fail "velum-try did not say it watches $theme"
echo "ok: notepad is skinned and velum-try watches $theme"

# save HOW VALUE: the theme with its caption background set to VALUE, saved in place (the file
# truncated and written) or by rename (a new file moved over the old one).
save() {
  sed "${caption_line}s/.*/background = $2/" "$theme_file" >"$work/next.vlm"
  case $1 in
    in-place) cat "$work/next.vlm" >"$work/watch.vlm" && rm "$work/next.vlm" ;;
    rename) mv "$work/next.vlm" "$work/watch.vlm" ;;
  esac
}

# The saves: how, the caption background written, then the caption expected, and how many
# "applied" lines on stdout and error lines naming the caption's line on stderr velum-try has
# printed once it took the save.
saves=(
  "in-place|#1F6FB2|#1F6FB2|1|0"
  "rename|#12345G|#1F6FB2|1|1"
  "in-place|#C8702A|#C8702A|2|1"
  "rename|#3C8D2F|#3C8D2F|3|1"
)
error_at="watch.vlm:$caption_line:"
for row in "${saves[@]}"; do
  IFS='|' read -r how value expected applied errors <<<"$row"
  # Saves a second apart, so each has its own last-write time, and the watch looks at a broken
  # file several times before the next save.
  sleep 1
  save "$how" "$value"
  took() { lines_are try.out "applied $theme again" "$applied" && lines_are try.err "$error_at" "$errors"; }
  wait_for 10 took ||
    fail "after the save of $value ($how): $(lines try.out "applied $theme again") applied, $(lines try.err "$error_at") errors at $error_at; expected $applied and $errors"
  wait_for 10 caption_is "$expected" || fail "after the save of $value ($how) the caption is $(caption), not $expected"
  echo "ok: a save of $value ($how) shows $expected; $applied applied, $errors error(s) at $error_at"
done
grep -aqE "^$(sed 's/[\\.]/\\&/g' <<<"$theme"):$caption_line:[0-9]+: error: " "$work/try.err" ||
  fail "the error is not given as FILE:LINE:COLUMN: error: at the start of its line"
echo "ok: the error names $theme, line $caption_line and its column"

"$wine_run" "$probe_exe" end Notepad 5 || fail "cannot end notepad"
status=0
wait "$try_pid" || status=$?
try_pid=
[ "$status" = 5 ] || fail "velum-try --watch exited with $status after notepad ended with 5"
echo "ok: notepad's exit code 5 came back from velum-try --watch"
echo "PASS"
