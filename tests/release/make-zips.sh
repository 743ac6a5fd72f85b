#!/usr/bin/env bash
# Makes release zips with cpack, as scripts/release.sh does but into a folder of the tests,
# and unpacks each beside itself (NAME.zip -> NAME/) for the tests that look inside.
# Usage: make-zips.sh CPACK OUT_DIR CPACK_CONFIG...
set -euo pipefail
cpack=$1
out=$2
shift 2
rm -rf "$out"
mkdir -p "$out"
for config in "$@"; do
  if ! "$cpack" --config "$config" -B "$out" > "$out/cpack.log" 2>&1; then
    cat "$out/cpack.log" >&2
    echo "make-zips: cpack --config $config failed; the developer kit packs the build folders" \
         "of both architectures, so build both presets first (scripts/test.sh does)" >&2
    exit 1
  fi
  sed -n 's/^CPack: - package: //p' "$out/cpack.log"
done
rm -rf "$out/_CPack_Packages"
for zip in "$out"/*.zip; do
  (cd "$out" && cmake -E tar xf "$zip")
done
