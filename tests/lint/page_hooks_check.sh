#!/usr/bin/env bash
# web/hooks.md lists every name by which the page, the game inside it and the
# browser tests reach one another: a morvex2... name, or a quoted 'morvex2-...'
# one, in the page's scripts, the game's browser-only code and the tests'
# page hooks must be listed there, and every name listed must still be used.
# Usage: page_hooks_check.sh SOURCE_DIR
set -euo pipefail
cd "$1"
files=(web/*.js web/*.html tests/web/page_test_hooks.js)
mapfile -t -O "${#files[@]}" files < <(git ls-files '*_web.cpp')
used="$(grep -ohE "morvex2[A-Z][A-Za-z]*|morvex2_[a-z_]+|'morvex2-[a-z][a-z-]*'" "${files[@]}" |
        tr -d "'" | sort -u)"
listed="$(grep -oE '`morvex2[-_A-Za-z]*`' web/hooks.md | tr -d '`' | grep -v -- '-$' | sort -u)"
status=0
for name in $(comm -23 <(echo "$used") <(echo "$listed")); do
  echo "web/hooks.md does not list $name"
  status=1
done
for name in $(comm -13 <(echo "$used") <(echo "$listed")); do
  echo "web/hooks.md lists $name, which nothing uses"
  status=1
done
exit "$status"
