#!/usr/bin/env bash
# Installs what building and running need on Debian 12 (idempotent: quick when all is there),
# then builds the requested presets. Sourced by run.sh and test.sh.
set -euo pipefail

ZENTORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

zentora_packages=(
  cmake ninja-build g++ clang clang-format libclang-rt-14-dev googletest llvm lld libstb-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
  wine wine64 wine32:i386
  xvfb xdotool x11-utils imagemagick
  fonts-wine fonts-wqy-zenhei locales
)

zentora_missing_packages() {
  local p missing=()
  for p in "${zentora_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  echo "${missing[@]}"
}

# zentora_apt_update PACKAGE...: apt-get update, tried again a few times (ZENTORA_APT_TRIES,
# ZENTORA_APT_WAIT seconds apart) while a list fails to download, as it does while a mirror is
# being synchronised. When a list still fails, goes on if the lists there are serve the install
# of the packages; otherwise stops, naming the lists that failed.
zentora_apt_update() {
  local tries=${ZENTORA_APT_TRIES:-4} wait=${ZENTORA_APT_WAIT:-15} attempt out failed=
  for attempt in $(seq 1 "$tries"); do
    if out=$(apt-get update -q 2>&1) && ! grep -q 'Failed to fetch' <<<"$out"; then
      echo "$out"
      return 0
    fi
    echo "$out"
    failed=$(grep -o 'Failed to fetch [^ ]*' <<<"$out" | sed 's/^Failed to fetch //' | sort -u || true)
    [ "$attempt" -lt "$tries" ] || break
    echo "setup: some package lists could not be downloaded; trying again in ${wait}s ($attempt of $tries)" >&2
    sleep "$wait"
  done
  if apt-get install -s -q --no-install-recommends "$@" >/dev/null 2>&1; then
    echo "setup: some package lists could not be downloaded; the lists there are serve the install" >&2
    return 0
  fi
  echo "setup: apt-get update failed $tries times, and the packages cannot be installed without:" >&2
  if [ -n "$failed" ]; then
    # shellcheck disable=SC2086
    printf '  %s\n' $failed >&2
  else
    echo "  (apt-get named no list; its output is above)" >&2
  fi
  echo "setup: the mirror is probably being synchronised: run this command again in a few minutes," >&2
  echo "  or point /etc/apt/sources.list.d/ at another mirror." >&2
  exit 1
}

zentora_install() {
  local missing
  missing=$(zentora_missing_packages)
  local need_locale=0
  locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$' || need_locale=1
  if [ -z "$missing" ] && [ $need_locale = 0 ]; then
    return 0
  fi
  if [ "$(id -u)" != 0 ]; then
    echo "setup: these are missing and installing them needs root:" >&2
    [ -n "$missing" ] && echo "  packages: $missing" >&2
    [ $need_locale = 1 ] && echo "  the zh_CN.UTF-8 locale" >&2
    echo "run this command again as root (or with sudo)." >&2
    exit 1
  fi
  if [ -n "$missing" ]; then
    echo "setup: installing $missing"
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    export DEBIAN_FRONTEND=noninteractive
    # shellcheck disable=SC2086
    zentora_apt_update $missing
    # shellcheck disable=SC2086
    apt-get install -y -q --no-install-recommends $missing
  fi
  if [ $need_locale = 1 ] || ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
    sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen
  fi
}

# Lists the C++ files that do not follow .clang-format, with the command that fixes them;
# returns 1 when there are any.
zentora_check_format() {
  local file unformatted=()
  while IFS= read -r file; do
    clang-format --style=file "$ZENTORA_ROOT/$file" | cmp -s - "$ZENTORA_ROOT/$file" || unformatted+=("$file")
  done < <(cd "$ZENTORA_ROOT" && { git ls-files '*.cpp' '*.h' 2>/dev/null ||
    find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sed 's#^\./##'; })
  [ ${#unformatted[@]} -eq 0 ] && return 0
  echo "format: ${#unformatted[@]} file(s) do not follow .clang-format:" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  echo "format: fix them with: (cd $ZENTORA_ROOT && clang-format -i ${unformatted[*]})" >&2
  return 1
}

# zentora_build PRESET...: configure (once), build and install each preset.
zentora_build() {
  local preset
  for preset in "$@"; do
    if [ ! -f "$ZENTORA_ROOT/build/$preset/CMakeCache.txt" ]; then
      cmake --preset "$preset" -S "$ZENTORA_ROOT" >/dev/null
    fi
    cmake --build --preset "$preset"
  done
}

# Starts Xvfb on a free display and sets DISPLAY; zentora_stop_display ends every display
# started so far.
ZENTORA_XVFB_PIDS=()
zentora_start_display() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  ZENTORA_XVFB_PIDS+=("$!")
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "setup: Xvfb did not start on $DISPLAY" >&2
  exit 1
}

zentora_stop_display() {
  local pid
  for pid in "${ZENTORA_XVFB_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  ZENTORA_XVFB_PIDS=()
}

# Makes a Wine prefix for running the program (once): Wine draws caption and frame itself, as
# Windows does, instead of leaving them to a window manager.
zentora_prepare_prefix() {
  export WINEPREFIX=$1
  export WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
  [ -f "$WINEPREFIX/.zentora-ready" ] && return 0
  echo "setup: making the Wine prefix $WINEPREFIX (once)"
  wineboot -i >/dev/null 2>&1
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Decorated"="N"\n' > "$WINEPREFIX/zentora.reg"
  wine regedit "$WINEPREFIX/zentora.reg" >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.zentora-ready"
}

# Waits for the visible window of Zentora (or of the program named) and prints its X id.
zentora_wait_window() {
  local window= _ program=${1:-Zentora.exe}
  for _ in $(seq 1 150); do
    window=$(xdotool search --onlyvisible --class "$program" 2>/dev/null | head -n 1)
    [ -n "$window" ] && { echo "$window"; return 0; }
    sleep 0.1
  done
  return 1
}
