#!/usr/bin/env bash
# Fails unless a release zip holds exactly the files it should, under one folder named as the
# zip. The shipped themes are the files of the source tree's Skin folder, with the folders of
# images beside them.
# Usage: zip-contents.sh program|sdk ZIP SOURCE_DIR [WITH_TRY_TOOL(0|1)]
set -euo pipefail
kind=$1
zip=$2
source=$3
with_try=${4:-0}
top=$(basename "$zip" .zip)

themes() {
  (cd "$source/Skin" && find . -type f | sed "s#^\./#$1/#")
}

expected() {
  case $kind in
    program)
      printf '%s\n' Zentora.exe VelumGallery.exe Velum_VB6.dll ReadMe.txt
      themes Skin ;;
    sdk)
      printf '%s\n' include/Velum.h vb/Velum.bas docs/engine.md docs/theme-format.md \
                    lib/cmake/Velum/VelumConfig.cmake lib/cmake/Velum/VelumConfigVersion.cmake
      (cd "$source" && find samples -type f | LC_ALL=C sort)
      themes themes
      local arch
      for arch in x64 x86; do
        printf '%s\n' bin/$arch/Velum_VB6.dll bin/$arch/velum-check.exe \
                      lib/$arch/Velum_VB6.lib lib/$arch/libVelum_VB6.dll.a
        [ "$with_try" = 1 ] && printf '%s\n' bin/$arch/velum-try.exe bin/$arch/VelumTryHook.dll
      done ;;
    *) echo "zip-contents: unknown kind $kind" >&2; exit 2 ;;
  esac
}

[ -f "$zip" ] || { echo "zip-contents: $zip was not made" >&2; exit 1; }
listing=$(cmake -E tar tf "$zip" | grep -v '/$')
outside=$(grep -v "^$top/" <<<"$listing" || true)
if [ -n "$outside" ]; then
  echo "$(basename "$zip"): entries outside the folder $top/:" >&2
  echo "$outside" >&2
  exit 1
fi
if ! diff -u <(expected | LC_ALL=C sort) <(sed "s#^$top/##" <<<"$listing" | LC_ALL=C sort) \
      --label expected --label "$(basename "$zip")"; then
  exit 1
fi
echo "$(basename "$zip"): $(wc -l <<<"$listing") files, as listed"
