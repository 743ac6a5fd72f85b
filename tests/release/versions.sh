#!/usr/bin/env bash
# Every program and DLL under a folder carries the version (read by file_version.exe under
# Wine, through GetFileVersionInfo as Explorer reads it).
# Usage: versions.sh WINE_RUN FILE_VERSION_EXE VERSION DIR...
set -euo pipefail
wine_run=$1
checker=$2
version=$3
shift 3
mapfile -t binaries < <(find "$@" -type f \( -iname '*.exe' -o -iname '*.dll' \) | LC_ALL=C sort)
[ ${#binaries[@]} -gt 0 ] || { echo "versions: no programs or DLLs under $*" >&2; exit 1; }
"$wine_run" "$checker" "$version" "${binaries[@]/#/Z:}"
