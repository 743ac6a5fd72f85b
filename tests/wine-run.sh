#!/usr/bin/env bash
# Runs a Windows program of the tests under Wine: one private prefix per build folder (made
# once), the test run's own virtual display, the Chinese code page, no debug noise.
# ZENTORA_TEST_DPI=N (other than 96) runs it in a prefix of its own whose display has N DPI.
# ZENTORA_TEST_LANE=NAME runs it in prefixes of that lane's own, under Wine servers of their own:
# two lanes run side by side, each on its own display, without sharing a foreground window or a
# pointer position.
# Usage: wine-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail

program=$1
shift

if [ -z "${ZENTORA_TEST_DISPLAY:-}" ]; then
  echo "wine-run: no test display; run the tests through scripts/test.sh" >&2
  echo "          (or start Xvfb yourself and set ZENTORA_TEST_DISPLAY=:N)" >&2
  exit 125
fi

# The build folder is the nearest folder above the program that holds CMakeCache.txt.
build=$(cd "$(dirname "$program")" && pwd)
while [ ! -f "$build/CMakeCache.txt" ]; do
  [ "$build" = / ] && { echo "wine-run: $program is not inside a build folder" >&2; exit 125; }
  build=$(dirname "$build")
done

dpi=${ZENTORA_TEST_DPI:-96}
case $dpi in
  96) prefix=wineprefix ;;
  *[!0-9]* | '') echo "wine-run: ZENTORA_TEST_DPI=$dpi is not a number" >&2; exit 125 ;;
  *) prefix=wineprefix-dpi$dpi ;;
esac
lane=${ZENTORA_TEST_LANE:-}
case $lane in
  '') ;;
  *[!a-z0-9]*) echo "wine-run: ZENTORA_TEST_LANE=$lane is not a lowercase name" >&2; exit 125 ;;
  *) prefix=$prefix-$lane ;;
esac

export DISPLAY=$ZENTORA_TEST_DISPLAY
export WINEPREFIX="$build/$prefix"
# ZENTORA_TEST_DLL_OVERRIDES adds overrides of a test's own (a stand-in DLL beside it: "dwmapi=n").
export WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=${ZENTORA_TEST_DLL_OVERRIDES:+;$ZENTORA_TEST_DLL_OVERRIDES}"
export ZENTORA_TEST_DRIVE_ROOT="$build/drive-r"

windows_path() { printf 'Z:%s' "$1" | sed 's#/#\\\\#g'; }

make_prefix() {
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  local recorder
  recorder=$(windows_path "$build/tests/url_recorder.exe")
  # diff_app.exe (the differential tests' program), guest_tests.exe and attach_bench.exe hide
  # and close many windows; as managed windows, each hide would wait two seconds for a window
  # manager that is not there.
  cat > "$build/$prefix.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Decorated"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\diff_app.exe\\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\guest_tests.exe\\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\attach_bench.exe\\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\\Control Panel\\Desktop]
"LogPixels"=dword:$(printf '%08x' "$dpi")

[HKEY_CLASSES_ROOT\\http\\shell\\open\\command]
@="\\"$recorder\\" \\"%1\\""

[HKEY_CLASSES_ROOT\\https\\shell\\open\\command]
@="\\"$recorder\\" \\"%1\\""
REG
  wine regedit "$build/$prefix.reg" >/dev/null 2>&1
  wineserver -w
  # Drive R: is a folder of the build, for tests of a program at a drive root.
  mkdir -p "$ZENTORA_TEST_DRIVE_ROOT"
  ln -sfn "$ZENTORA_TEST_DRIVE_ROOT" "$WINEPREFIX/dosdevices/r:"
  touch "$WINEPREFIX/.zentora-ready-3"
}

(
  flock 9
  [ -f "$WINEPREFIX/.zentora-ready-3" ] || make_prefix
) 9>"$build/$prefix.lock"

# Wine's server and services outlive the program that started them and keep its output open,
# so CTest would wait for them: the program writes to files, shown when it has ended.
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
status=0
wine "$program" "$@" </dev/null >"$out" 2>"$err" || status=$?
cat "$out"
cat "$err" >&2
exit $status
