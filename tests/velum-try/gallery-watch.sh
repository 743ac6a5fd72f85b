#!/usr/bin/env bash
# The gallery watching a theme file, as a theme author uses it, each way it can be asked to:
# started with --watch THEMEFILE, or started on its Skin folder and told by keys, 主题(T) then
# 监视主题文件(W), to watch the theme in use. Then a table of saves of the file, each in place
# or by rename; after each, the gallery's caption shows the new colour, or after a broken save
# the last good one while its status line gives the engine's error with the file's line number.
# Closed, the gallery exits with 0.
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

cp "$gallery_exe" "$engine" "$work/"
caption_line=$(grep -n '^background = #B03A7C' "$theme_file" | cut -d: -f1)
[ -n "$caption_line" ] || fail "the test theme has no caption background #B03A7C"

# save FILE HOW VALUE: the theme with its caption background set to VALUE, saved in place (the
# file truncated and written) or by rename (a new file moved over the old one).
save() {
  sed "${caption_line}s/.*/background = $3/" "$theme_file" >"$work/next.vlm"
  case $2 in
    in-place) cat "$work/next.vlm" >"$1" && rm "$work/next.vlm" ;;
    rename) mv "$work/next.vlm" "$1" ;;
  esac
}

# The ways to watch: how, the file watched (a name no menu item's access key starts), the
# gallery's arguments, and the status line once it watches.
ways=(
  "flag|$work/flagged.vlm|--watch $(windows_path "$work/flagged.vlm")|主题: flagged.vlm (保存后重新应用)"
  "menu|$work/Skin/mine.vlm||监视 mine.vlm: 保存后重新应用"
)
for way in "${ways[@]}"; do
  IFS='|' read -r how file args watching <<<"$way"
  name=$(basename "$file")
  rm -rf "$work/Skin"
  mkdir "$work/Skin"
  cp "$theme_file" "$file"
  # shellcheck disable=SC2086 # the arguments are split at spaces; none holds one
  "$wine_run" "$work/$(basename "$gallery_exe")" $args >"$work/gallery.out" 2>&1 &
  gallery_pid=$!
  wait_for 60 gallery_shown || fail "no gallery window ($how)"
  wait_for 10 caption_is '#B03A7C' || fail "the gallery's caption is $(caption), not the theme's #B03A7C ($how)"
  if [ "$how" = menu ]; then
    xdotool windowfocus --sync "$window" || fail "cannot focus the gallery"
    xdotool key alt+t
    sleep 0.3
    xdotool key w
  fi
  wait_for 10 status_has "$watching" || fail "the status line is '$(status)', not '$watching' ($how)"
  echo "ok: the gallery watches $name ($how): $(status)"

  # The saves: how, the caption background written, the caption expected, and what the
  # status line then says.
  saves=(
    "in-place|#1F6FB2|#1F6FB2|主题: $name"
    "rename|#12345G|#1F6FB2|$name:$caption_line:"
    "in-place|#C8702A|#C8702A|主题: $name"
  )
  for row in "${saves[@]}"; do
    IFS='|' read -r saved value expected said <<<"$row"
    sleep 1 # each save its own last-write time
    save "$file" "$saved" "$value"
    wait_for 10 status_has "$said" ||
      fail "after the save of $value ($saved) the status line is '$(status)', not '$said' ($how)"
    wait_for 10 caption_is "$expected" ||
      fail "after the save of $value ($saved) the caption is $(caption), not $expected ($how)"
    echo "ok: a save of $value ($saved) shows $expected; the status line: $(status)"
  done

  "$wine_run" "$probe_exe" close '#32770' || fail "cannot close the gallery"
  code=0
  wait "$gallery_pid" || code=$?
  gallery_pid=
  [ "$code" = 0 ] || fail "the gallery exited with $code ($how)"
done
echo "PASS"
