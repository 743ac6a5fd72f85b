#!/usr/bin/env bash
# Fails when a relative link in the unpacked developer kit's documents leads to no file of the
# kit: a page written for the source tree can point where the kit has nothing.
# Usage: doc-links.sh KIT_DIR
set -euo pipefail
kit=$1
status=0
for page in "$kit"/docs/*.md; do
  # Inline links and images, [text](target) and ![alt](target), without web and page-local ones.
  while IFS= read -r target; do
    target=${target%%#*}
    [ -z "$target" ] && continue
    case $target in http://* | https://* | mailto:*) continue ;; esac
    if [ ! -e "$(dirname "$page")/$target" ]; then
      echo "${page#"$kit"/}: link to $target, which the kit does not hold" >&2
      status=1
    fi
  done < <(grep -o '\]([^)[:space:]]*)' "$page" | sed 's/^](//; s/)$//')
done
[ $status = 0 ] && echo "links in $(ls "$kit"/docs/*.md | wc -l) documents lead to files of the kit"
exit $status
