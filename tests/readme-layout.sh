#!/usr/bin/env bash
# The README's layout table against the tree: every folder of the project is in it, every folder
# it names exists, and every module of a source folder (a .cpp or .h file, by its name) is named
# in that folder's row, so a newcomer finds each one from the README.
# Usage: readme-layout.sh ROOT
set -euo pipefail
root=$1
readme=$root/README.md
table=$(sed -n '/^## Layout$/,/^## /p' "$readme" | grep '^| `')
failed=0
problem() { echo "README layout: $*"; failed=1; }

# The folders a row names: `a/`, `b/` and `c/` in its first cell.
named=$(cut -d'|' -f2 <<<"$table" | grep -o '`[^`]*/`' | tr -d '`' | sed 's#/$##')

while IFS= read -r folder; do
  [ -d "$root/$folder" ] || problem "names $folder/, which does not exist"
done <<<"$named"

# Every top-level folder (or, for tools/, each folder in it), and every folder below engine/,
# has a row.
while IFS= read -r folder; do
  grep -qxE "$folder(/.*)?" <<<"$named" || problem "has no row for $folder/"
done < <(cd "$root" && { find . -mindepth 1 -maxdepth 1 -type d; find engine tools -mindepth 1 -maxdepth 1 -type d; } |
  sed 's#^\./##' | grep -vE '^(\.|build$|dist$)' | sort)

# Every module of a folder whose row lists its modules is named in that row.
for folder in app gallery settings bindings common engine engine/core engine/attach engine/frame engine/menus \
  engine/controls engine/paint tools/velum-try; do
  row=$(grep -F "| \`$folder/\` |" <<<"$table" || true)
  [ -n "$row" ] || continue
  # resource.h holds a program's resource numbers: not a module.
  for stem in $(cd "$root/$folder" && ls -- *.cpp *.h 2>/dev/null | sed 's/\.[^.]*$//' | sort -u | grep -vx resource); do
    grep -q "\`$stem[\`.]" <<<"$row" || problem "the row of $folder/ does not name $stem"
  done
done
exit $failed
