#!/usr/bin/env bash
# The gallery started with --watch THEMEFILE, as a theme author uses it: the file applied at the
# start, then a table of saves of it, each in place or by rename; after each, the gallery's
# caption shows the new colour, or after a broken save the last good one while its status line
# gives the engine's error with the file's line number. Closed, the gallery exits with 0.
# Usage: gallery-watch.sh WINE_RUN GALLERY_EXE ENGINE_DLL PROBE_EXE TRY_THEME
set -euo pipefail

wine_run=$1
gallery_exe=$2
engine=$3
probe_exe=$4
theme_file=$5

if [ -z "${ZENTORA_TEST_DISPLAY:-}" ]; then
  echo "gallery-watch: no test display; set ZENTORA_TEST_DISPLAY=:N (scripts/test.sh does)" >&2
  exit 1
fi
export DISPLAY=$ZENTORA_TEST_DISPLAY

build=$(cd "$(dirname "$probe_exe")" && pwd)
mkdir -p "$build/runs"
work=$(mktemp -d "$build/runs/gallery-watch.XXXXXX")
gallery_pid=
cleanup() {
  if [ -n "$gallery_pid" ] && kill -0 "$gallery_pid" 2>/dev/null; then
    "$wine_run" "$probe_exe" end '#32770' 1 >/dev/null 2>&1 || true
    wait "$gallery_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/gallery.out" ] && { echo "--- the gallery's output"; cat "$work/gallery.out"; } >&2
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

window=
gallery_shown() {
  window=$(xdotool search --onlyvisible --classname '^velumgallery\.exe$' 2>/dev/null | head -n 1)
  [ -n "$window" ]
}
# caption: the caption's colour a few pixels below its top, right of the title.
caption() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$window")"
  pixel $((X + WIDTH * 2 / 3)) $((Y + 5 + 4))
}
caption_is() { [ "$(caption)" = "$1" ]; }
# The status bar's text (IDC_STATUS of gallery/resource.h).
status() { "$wine_run" "$probe_exe" item-text '#32770' 1032 2>/dev/null | tr -d '\r'; }
status_has() { status | grep -qF -- "$1"; }

mkdir "$work/app"
cp "$gallery_exe" "$engine" "$work/app/"
cp "$theme_file" "$work/watch.vlm"
caption_line=$(grep -n '^background = #B03A7C' "$work/watch.vlm" | cut -d: -f1)
[ -n "$caption_line" ] || fail "the test theme has no caption background #B03A7C"

"$wine_run" "$work/app/$(basename "$gallery_exe")" --watch "$(windows_path "$work/watch.vlm")" \
  >"$work/gallery.out" 2>&1 &
gallery_pid=$!
wait_for 60 gallery_shown || fail "no gallery window"
wait_for 10 caption_is '#B03A7C' || fail "the gallery's caption is $(caption), not the watched theme's #B03A7C"
wait_for 10 status_has "watch.vlm" || fail "the status line does not name the watched file: '$(status)'"
echo "ok: the gallery started under the watched theme: $(status)"

save() {
  sed "${caption_line}s/.*/background = $2/" "$theme_file" >"$work/next.vlm"
  case $1 in
    in-place) cat "$work/next.vlm" >"$work/watch.vlm" && rm "$work/next.vlm" ;;
    rename) mv "$work/next.vlm" "$work/watch.vlm" ;;
  esac
}

# The saves: how, the caption background written, the caption expected, and what the status
# line then says.
error_at="watch.vlm:$caption_line:"
saves=(
  "in-place|#1F6FB2|#1F6FB2|主题: watch.vlm"
  "rename|#12345G|#1F6FB2|$error_at"
  "in-place|#C8702A|#C8702A|主题: watch.vlm"
)
for row in "${saves[@]}"; do
  IFS='|' read -r how value expected said <<<"$row"
  sleep 1  # each save its own last-write time
  save "$how" "$value"
  wait_for 10 status_has "$said" || fail "after the save of $value ($how) the status line is '$(status)', not '$said'"
  wait_for 10 caption_is "$expected" || fail "after the save of $value ($how) the caption is $(caption), not $expected"
  echo "ok: a save of $value ($how) shows $expected; the status line: $(status)"
done

"$wine_run" "$probe_exe" close '#32770' || fail "cannot close the gallery"
code=0
wait "$gallery_pid" || code=$?
gallery_pid=
[ "$code" = 0 ] || fail "the gallery exited with $code"
echo "PASS"
