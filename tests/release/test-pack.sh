#!/usr/bin/env bash
# The test pack run as a person on Windows runs it: unpacked, run-tests.cmd started by Wine's cmd
# with a filter, twice.
#  1. In the tests' usual prefix (64-bit Windows): every program of both architectures runs and
#     writes a JUnit report naming the tests the filter picked; nothing skipped, exit code 0.
#  2. In a 32-bit Windows with no drive of the build machine (no Z:, so no source tree, no xdotool,
#     no ImageMagick), on a copy of the pack whose x86 scroll_bar_tests.exe is broken: the x64
#     programs are skipped with the reason; the x86 ones read the pack's own themes, a frame check
#     reads the screen itself, a test that types through xdotool skips saying why; the program that
#     cannot start fails the run: exit code 1, and the summary names it.
# Usage: test-pack.sh WINE_RUN UNPACKED_PACK
set -euo pipefail
wine_run=$1
pack=$(cd "$2" && pwd)

fail() {
  echo "test-pack: $*" >&2
  exit 1
}
[ -n "${ZENTORA_TEST_DISPLAY:-}" ] || { echo "test-pack: no test display (ZENTORA_TEST_DISPLAY)" >&2; exit 125; }
programs=$(cd "$pack/x86/tests" && ls -- *.exe | sed 's/\.exe$//')
[ "$(echo "$programs" | wc -l)" -ge 7 ] || fail "too few test programs in $pack/x86/tests: $programs"

# A test case of a JUnit report that ran to its end without a failure (skipped: that it skipped).
expect_case() {
  local report=$1 suite=$2 name=$3 result=${4:-completed}
  [ -f "$report" ] || fail "no report $report"
  grep -q "<testcase name=\"$name\" .*result=\"$result\".* classname=\"$suite\"" "$report" ||
    fail "$report does not name $suite.$name as $result"
  ! grep -q "<failure" "$report" || fail "$report holds a failure"
}

# 1. The build machine's Wine, both architectures.
rm -rf "$pack/results"
status=0
(cd "$pack" && "$wine_run" cmd /c run-tests.cmd \
  "ControlClasses.WindowsThatAreNoControls:Gallery.ListsEveryShippedThemeAndStartsWithVelum") >"$pack/../run-64.txt" 2>&1 ||
  status=$?
out=$(tr -d '\r' <"$pack/../run-64.txt")
echo "$out" | grep '^run-tests:'
[ "$status" -eq 0 ] || fail "run-tests.cmd exited with $status on 64-bit Windows"
count=$(echo "$programs" | wc -l)
echo "$out" | grep -qx "run-tests: passed: $((count * 2)) programs run, none failed; 0 skipped; .*" ||
  fail "no summary of $((count * 2)) programs passed"
for arch in x64 x86; do
  for program in $programs; do
    grep -q "<testsuites " "$pack/results/$arch-$program.xml" 2>/dev/null || fail "no JUnit report $arch-$program.xml"
  done
  expect_case "$pack/results/$arch-controls_tests.xml" ControlClasses WindowsThatAreNoControls
  expect_case "$pack/results/$arch-gallery_tests.xml" Gallery ListsEveryShippedThemeAndStartsWithVelum
done

# 2. A 32-bit Windows without the build machine's drives.
build=$pack
while [ ! -f "$build/CMakeCache.txt" ]; do
  [ "$build" = / ] && fail "$pack is not inside a build folder"
  build=$(dirname "$build")
done
export DISPLAY=$ZENTORA_TEST_DISPLAY WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=$build/wineprefix-win32-nodrives${ZENTORA_TEST_LANE:+-$ZENTORA_TEST_LANE}
copy=$build/tests/test-pack-win32
rm -rf "$copy"
mkdir -p "$copy"
cp -r "$pack" "$copy/"
rm -rf "$copy/$(basename "$pack")/results"
head -c 4096 /dev/zero >"$copy/$(basename "$pack")/x86/tests/scroll_bar_tests.exe"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.zentora-ready" ]; then
    rm -rf "$WINEPREFIX"
    WINEARCH=win32 wineboot -i >/dev/null 2>&1
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Decorated"="N"\n' >"$WINEPREFIX.reg"
    wine regedit "$WINEPREFIX.reg" >/dev/null 2>&1
    wineserver -w
    rm -f "$WINEPREFIX/dosdevices/z:"
    touch "$WINEPREFIX/.zentora-ready"
  fi
  ln -sfn "$copy" "$WINEPREFIX/dosdevices/p:"
) 9>"$WINEPREFIX.lock"
status=0
# Wine's server outlives the run and keeps its output open: the output goes to a file.
(cd "$copy/$(basename "$pack")" && wine cmd /c run-tests.cmd \
  "EngineKit.ThemeColoursAreTheColoursOnScreen:Gallery.ListsEveryShippedThemeAndStartsWithVelum:Fields.CreatedUnderTheEngineTheyStillTakeTypingSelectionAndPicksByMouseAndKeyboard") \
  </dev/null >"$copy/run-32.txt" 2>&1 || status=$?
out=$(tr -d '\r' <"$copy/run-32.txt" | tr -c '[:print:]\n' '?')
echo "$out" | grep '^run-tests:'
echo "$out" | grep -q '^run-tests: .* reports in P:\\' || fail "the pack did not run from drive P:"
[ "$status" -eq 1 ] || fail "run-tests.cmd exited with $status, not 1, with a program that cannot start"
echo "$out" | grep -qx "run-tests: FAILED: $count programs run, 1 failed: x86\\\\scroll_bar_tests; $count skipped; .*" ||
  fail "no summary of $count programs run, scroll_bar_tests failed, $count skipped"
for program in $programs; do
  echo "$out" | grep -qx "run-tests: skipped x64\\\\tests\\\\$program.exe: this Windows is 32-bit (x86) and runs no x64 program" ||
    fail "no reason given for skipping x64 $program"
done
results=$copy/$(basename "$pack")/results
! ls "$results"/x64-* >/dev/null 2>&1 || fail "x64 programs ran on 32-bit Windows"
expect_case "$results/x86-engine_tests.xml" EngineKit ThemeColoursAreTheColoursOnScreen
expect_case "$results/x86-gallery_tests.xml" Gallery ListsEveryShippedThemeAndStartsWithVelum
expect_case "$results/x86-field_tests.xml" Fields CreatedUnderTheEngineTheyStillTakeTypingSelectionAndPicksByMouseAndKeyboard skipped
echo "$out" | grep -q "its clicks and keys go through X with xdotool, which only the build machine has" ||
  fail "the xdotool test's reason for skipping is not printed"
echo "test-pack: both runs as expected"
