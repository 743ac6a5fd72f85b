#!/usr/bin/env bash
# velum-check (Windows build) opens theme files whatever their names hold: Chinese, and text the
# ANSI code page (936 here) cannot hold, Korean and an emoji. Its report names the file.
# Usage: velum-check-names.sh WINE-RUN VELUM-CHECK.exe GOOD-THEME BROKEN-THEME
set -euo pipefail
wine_run=$1 check=$2 good=$3 broken=$4
dir=$(dirname "$check")/check-names
rm -rf "$dir"
mkdir -p "$dir"
trap 'rm -rf "$dir"' EXIT
windows() { printf 'Z:%s' "$1" | tr '/' '\\'; }

failed=0
# name, file it is a copy of, exit status expected
while IFS='|' read -r name source expected; do
  cp "$source" "$dir/$name"
  status=0
  "$wine_run" "$check" "$(windows "$dir/$name")" >"$dir/out" 2>"$dir/err" || status=$?
  report=$(iconv -f GBK -t UTF-8 "$dir/out" "$dir/err")
  if [ "$status" != "$expected" ]; then
    echo "FAIL: $name: exit $status, expected $expected"; echo "$report"; failed=1
  elif [ "$expected" = 1 ] && ! grep -q "$name:5:" <<<"$report"; then
    echo "FAIL: $name: the error does not name the file at its line"; echo "$report"; failed=1
  else
    echo "ok: $name: exit $status"
  fi
done <<LIST
中文主题.vlm|$good|0
한국어🎨.vlm|$good|0
中文坏主题.vlm|$broken|1
LIST
exit $failed
