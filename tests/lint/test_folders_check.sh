#!/usr/bin/env bash
# Tests mirror the source folders: what tests platform/sdl/ is in
# tests/platform/sdl/. Every folder under tests/ that holds code (C++, CMake,
# scripts) must have a folder of the same path outside tests/, unless it is
# one of the few below, which test no single folder. Folders of data alone
# (golden frames, fuzz corpora, the committed replays) go with the tests that
# read them and are not checked.
# Usage: test_folders_check.sh SOURCE_DIR
set -euo pipefail
cd "$1"
declare -A test_only=(
  [e2e]="the whole game through its main loop, scene after scene, as a player goes"
  [smoke]="the built program and its packages, started as a player starts them"
  [lint]="checks over the whole tree: formatting, clang-tidy, the layers, these folders"
  [support]="the helpers that the tests of every folder share"
  [assets]="the committed art, tunes and data files against their makers and readers"
)

broken=0
for top in "${!test_only[@]}"; do
  if [ -z "$(git ls-files "tests/$top/")" ]; then
    echo "tests/$top/ is listed as test-only but holds nothing: drop it from the list" >&2
    broken=1
  fi
done

# Every folder that holds a tracked file outside tests/.
declare -A source
while read -r folder; do
  while :; do
    source[$folder]=1
    [[ "$folder" == */* ]] || break
    folder="${folder%/*}"
  done
done < <(git ls-files | grep -v '^tests/' | grep / | sed 's#/[^/]*$##' | sort -u)

while read -r folder; do
  path="${folder#tests/}"
  [ -z "${test_only[${path%%/*}]:-}" ] || continue
  if [ -z "${source[$path]:-}" ]; then
    echo "$folder/ holds tests but there is no $path/ for them to test" >&2
    broken=1
  fi
done < <(git ls-files 'tests/*/*.cpp' 'tests/*/*.h' 'tests/*/*.sh' 'tests/*/*.py' \
           'tests/*/*.mjs' 'tests/*/*.cmake' 'tests/*/CMakeLists.txt' |
         sed 's#/[^/]*$##' | sort -u)

if [ "$broken" -ne 0 ]; then
  echo "tests/ does not mirror the source folders" >&2
  exit 1
fi
echo "every folder of tests under tests/ mirrors a source folder, or is listed as test-only"
