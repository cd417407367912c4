#!/usr/bin/env bash
# The root is what a newcomer meets first: the players' README, whose quick
# start is exactly ./play.sh then ./test.sh and comes before any other
# command, and the contributors' page beside it. A note from one engineer to
# another belongs in the issue or the commit message, where it goes stale in
# its own time, not in a file at the root that every clone carries.
# Usage: root_check.sh SOURCE_DIR
set -euo pipefail
cd "$1"
broken=0

# The commands of the README's first fenced block, each without its comment.
first_block="$(awk '
  /^```/ { if (open) exit; open = 1; next }
  open { sub(/[[:space:]]*#.*/, ""); if ($0 != "") print }
' README.md 2>/dev/null || true)"
if [ "$first_block" != $'./play.sh\n./test.sh' ]; then
  echo "README.md: its first commands must be ./play.sh then ./test.sh, and nothing else in that block; found:" >&2
  printf '  %s\n' "${first_block:-(no fenced block)}" >&2
  broken=1
fi

# Pages at the root: the players' and the contributors'. Every other guide
# lives in docs/, named for its reader.
while read -r file; do
  case "$file" in
    README.md | CONTRIBUTING.md) ;;
    *.md | *.txt | *.MD | *.TXT)
      [ "$file" = CMakeLists.txt ] && continue
      echo "$file: a page at the root; a guide goes to docs/, a note between engineers to the issue or the commit message" >&2
      broken=1
      ;;
  esac
  if [[ "${file,,}" =~ (notes|hand-?off|todo) ]]; then
    echo "$file: a note between engineers at the root; say it in the issue or the commit message" >&2
    broken=1
  fi
done < <(git ls-files | grep -v /)

[ "$broken" -eq 0 ] || exit 1
echo "the README starts with ./play.sh and ./test.sh, and the root holds no notes"
