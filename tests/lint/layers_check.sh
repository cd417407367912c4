#!/usr/bin/env bash
# Every #include "folder/..." between folders follows docs/layers.txt: a file
# includes from another folder only when its own folder's line names that one.
# Each break is named with its file, line and include. Every folder of C++
# sources but tests/ must have a line, so that a new folder cannot slip by.
# Usage: layers_check.sh SOURCE_DIR
set -euo pipefail
cd "$1"
declare -A may
while IFS=: read -r folder uses; do
  # shellcheck disable=SC2086  # word splitting makes the list one space apart
  may[$folder]=" $folder $(echo $uses) "
done < <(grep -E '^[a-z0-9_]+:' docs/layers.txt)

broken=0
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  for folder in $(git ls-files '*.cpp' '*.h' | grep / | cut -d/ -f1 | sort -u); do
    if [ "$folder" != tests ] && [ -z "${may[$folder]:-}" ]; then
      echo "$folder/ holds C++ sources but has no line in docs/layers.txt" >&2
      broken=1
    fi
  done
fi

include='^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/'
for folder in $(printf '%s\n' "${!may[@]}" | sort); do
  [ -d "$folder" ] || continue
  while IFS=: read -r file line text; do
    used="$(sed -E 's/^[^"]*"([^/"]+)\/.*/\1/' <<<"$text")"
    if [ -d "$used" ] && [[ "${may[$folder]}" != *" $used "* ]]; then
      echo "$file:$line: $text -- $folder/ may not include from $used/" >&2
      broken=1
    fi
  done < <(grep -rnE --include='*.cpp' --include='*.h' "$include" "$folder" || true)
done
if [ "$broken" -ne 0 ]; then
  echo "includes break the layers in docs/layers.txt" >&2
  exit 1
fi
echo "every include between folders follows docs/layers.txt"
