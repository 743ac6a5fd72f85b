#!/usr/bin/env bash
# Fails when a binary imports a DLL that is not part of Windows (a compiler runtime, say).
set -euo pipefail
objdump=$1
shift
allowed='^(kernel32|user32|gdi32|shell32|ole32|oleaut32|advapi32|comctl32|msimg32|msvcrt|uxtheme)\.dll$'
status=0
for binary in "$@"; do
  dlls=$("$objdump" -p "$binary" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$dlls" ] || { echo "$binary: no imports found"; status=1; continue; }
  for dll in $dlls; do
    if ! [[ $dll =~ $allowed ]]; then
      echo "$(basename "$binary") imports $dll, which Windows does not provide"
      status=1
    fi
  done
  echo "$(basename "$binary"): $(echo $dlls | tr '\n' ' ')"
done
exit $status
