#!/usr/bin/env bash
# Makes FOLDER hold exactly COUNT empty theme files (kept between runs when already right).
# Names alternate in case, T00000.vlm t00001.vlm T00002.vlm ..., so which files come first
# depends on the folder listing's case-insensitive order.
# Usage: make-many-themes.sh FOLDER COUNT
set -euo pipefail
folder=$1
count=$2

names() { seq 0 $((count - 1)) | awk '{ printf "%s%05d.vlm\n", ($1 % 2 ? "t" : "T"), $1 }'; }

if [ -d "$folder" ] && [ "$(find "$folder" -mindepth 1 | wc -l)" = "$count" ] &&
   [ -f "$folder/$(names | tail -n 1)" ]; then
  exit 0
fi
rm -rf "$folder"
mkdir -p "$folder"
(cd "$folder" && names | xargs touch)
echo "made $count files in $folder"
