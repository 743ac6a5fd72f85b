#!/usr/bin/env bash
# One run of the differential test program: without the engine (the reference), or under one
# theme, compared line by line with the reference. The program writes each input it wants as an
# xdotool command line into its input folder; this script carries them out through X, as a
# person's mouse and keyboard would, and acknowledges each.
# Usage: run.sh WINE_RUN DIFF_APP ENGINE_DLL OUT_DIR [THEME_FILE]
set -euo pipefail

wine_run=$1
program=$2
engine=$3
out=$4
theme=${5:-}

if [ -z "${ZENTORA_TEST_DISPLAY:-}" ]; then
  echo "differential: no test display; set ZENTORA_TEST_DISPLAY=:N (scripts/test.sh does)" >&2
  exit 1
fi
export DISPLAY=$ZENTORA_TEST_DISPLAY

name=unskinned
[ -n "$theme" ] && name=$(basename "$theme" .vlm)
mkdir -p "$out"
# The run's folder sits beside the program, inside the build folder: wine-run.sh takes the
# prefix from there.
run=$(mktemp -d "$(dirname "$program")/diff-$name.XXXXXX")
pid=
cleanup() {
  # The Windows process is a grandchild of wine-run.sh: find it by this run's folder name.
  pkill -f "$(basename "$run")[\\/]diff_app" 2>/dev/null || true
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$run"
}
trap cleanup EXIT
cp "$program" "$run/diff_app.exe"
cp "$engine" "$run/Velum_VB6.dll"
mkdir "$run/input"
# The theme is read where it is: its images are beside it.

windows_path() { printf 'Z:%s' "$1" | sed 's#/#\\#g'; }
log="$out/$name.log"
rm -f "$log"
args=("$(windows_path "$run/run.log")" "$(windows_path "$run/input")")
[ -n "$theme" ] && args+=("$(windows_path "$theme")")
# Nothing else may hold the pointer or a window over the test program's.
xdotool mousemove 1000 740 >/dev/null 2>&1 || true
"$wine_run" "$run/diff_app.exe" "${args[@]}" >"$run/wine.out" 2>&1 &
pid=$!

n=0
deadline=$((SECONDS + 150))
while [ $SECONDS -lt $deadline ]; do
  request="$run/input/req.$n"
  if [ -f "$request" ]; then
    line=$(cat "$request")
    case "$line" in
      done) touch "$run/input/ack.$n"; break ;;
      "focus "*)
        window=$(xdotool search --name "^${line#focus }\$" 2>/dev/null | head -n 1 || true)
        [ -n "$window" ] && xdotool windowfocus "$window" >/dev/null 2>&1 || true ;;
      *) # shellcheck disable=SC2086 # an xdotool command line, split into its words on purpose
         xdotool $line >/dev/null 2>&1 || echo "differential: xdotool $line failed" >&2 ;;
    esac
    touch "$run/input/ack.$n"
    n=$((n + 1))
  else
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.01
  fi
done
# The program closes itself once the script is done.
for _ in $(seq 1 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
cp "$run/run.log" "$log" 2>/dev/null || true
if kill -0 "$pid" 2>/dev/null; then
  echo "FAIL: the test program ($name) did not exit after its script; last lines of its log:" >&2
  tail -n 20 "$run/run.log" >&2
  exit 1
fi
status=0
wait "$pid" || status=$?
cp "$run/run.log" "$log" 2>/dev/null || true
if [ $status -ne 0 ] || [ ! -s "$log" ] || [ "$(tail -n 1 "$log")" != end ]; then
  echo "FAIL: the test program ($name) exited with $status without finishing its script" >&2
  cat "$run/wine.out" >&2
  [ -f "$log" ] && tail -n 20 "$log" >&2
  exit 1
fi

if [ -z "$theme" ]; then
  # The reference must do everything the script expects, or the comparison proves nothing.
  if grep -q '^timeout:' "$log"; then
    echo "FAIL: without the engine, the program did not do what the script expects:" >&2
    grep '^timeout:' "$log" >&2
    [ -n "${DIFF_TIMES:-}" ] && cat "$run/wine.out" >&2
    exit 1
  fi
  [ -n "${DIFF_TIMES:-}" ] && cat "$run/wine.out"
  echo "reference recorded: $(wc -l <"$log") lines"
  exit 0
fi
reference="$out/unskinned.log"
[ -f "$reference" ] || { echo "FAIL: no reference run in $out" >&2; exit 1; }
if ! diff -u "$reference" "$log"; then
  [ -n "${DIFF_TIMES:-}" ] && cat "$run/wine.out"
  # A machine busy with other work can change what a person's timing brings (how often a held
  # scroll arrow repeats), in the reference as well as here. Both are run once more, one after
  # the other; the theme passes only if the two then agree, and that pair becomes the reference.
  if [ -z "${DIFF_SECOND_TRY:-}" ]; then
    echo "differential: under $name the program saw something else (above); the reference and $name run again" >&2
    export DIFF_SECOND_TRY=1
    again="$out/again-$name"
    rm -rf "$again"
    if bash "$0" "$wine_run" "$program" "$engine" "$again" &&
       bash "$0" "$wine_run" "$program" "$engine" "$again" "$theme"; then
      cp "$again/unskinned.log" "$reference"
      rm -rf "$again"
      echo "PASS: under $name the program saw what it saw without the engine, on the second try"
      exit 0
    fi
  fi
  echo "FAIL: under $name the program saw something else than without the engine (- without, + with)" >&2
  exit 1
fi
[ -n "${DIFF_TIMES:-}" ] && cat "$run/wine.out"
echo "PASS: under $name the program saw what it saw without the engine ($(wc -l <"$log") lines)"
