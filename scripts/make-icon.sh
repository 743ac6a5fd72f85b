#!/usr/bin/env bash
# Regenerates app/Zentora.ico from scripts/make-icon.cpp.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
c++ -std=c++20 -O2 -Wall -Wextra -o "$tmp/make-icon" "$root/scripts/make-icon.cpp"
"$tmp/make-icon" "$root/app/Zentora.ico"
echo "wrote $root/app/Zentora.ico"
