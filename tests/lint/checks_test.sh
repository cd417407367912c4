#!/usr/bin/env bash
# The tree's own checks catch what they are for: each case builds a small
# scratch repository shaped like this tree, plants one fault (or none), and
# runs one check on it, which must fail exactly when a fault is planted.
# Usage: checks_test.sh SOURCE_DIR
set -euo pipefail
lint="$1/tests/lint"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A tree that keeps its rules: sources, their tests, the test-only folders,
# data beside a test, and comments that name real paths.
base_tree() {
  rm -rf "$work/tree"
  mkdir -p "$work/tree"
  cd "$work/tree"
  git init -q .
  mkdir -p app platform/sdl tests/app tests/platform/sdl tests/play/golden play \
           tests/e2e tests/smoke tests/lint tests/support tests/assets
  printf '// Reads platform/sdl/host.h and the program tools/gen_font.\n' >app/main.cpp
  printf '// win32/ names no folder here; sys/types.h is the system'"'"'s.\n' >platform/sdl/host.h
  printf '// Built from corpus/NAME and build/release/x.\n' >play/play.cpp
  mkdir -p tools && : >tools/gen_font.cpp
  printf '#!/usr/bin/env bash\n# Runs tests/app/main_test.cpp.\n' >tests/smoke/run.sh
  for file in tests/app/main_test.cpp tests/platform/sdl/host_test.cpp tests/e2e/e.cpp \
              tests/lint/l.sh tests/support/s.h tests/assets/a.cpp tests/play/golden/frame.png; do
    : >"$file"
  done
  printf 'add_test()\n' >tests/play/CMakeLists.txt
  printf '# Game\n\n```sh\n./play.sh    # play\n./test.sh    # test\n```\n\n```sh\nmake\n```\n' >README.md
  : >CONTRIBUTING.md
}

plant() {  # plant FILE TEXT: a new tracked file
  mkdir -p "$(dirname "$1")"
  printf '%s\n' "$2" >"$1"
}

# name | check | what is planted | whether the check must pass
cases=(
  "a tree that keeps its rules|test_folders_check.sh||pass"
  "a tree that keeps its rules|comment_paths_check.py||pass"
  "tests of a folder that is not there|test_folders_check.sh|plant tests/clearing/clearing_test.cpp x|fail"
  "a test folder holding only a CMakeLists|test_folders_check.sh|plant tests/field/CMakeLists.txt x|fail"
  "a test-only folder that is gone|test_folders_check.sh|git rm -rqf tests/assets|fail"
  "a comment naming a moved header|comment_paths_check.py|plant app/x.h '// See platform/video.h.'|fail"
  "a block comment naming a moved file|comment_paths_check.py|plant app/y.cpp '/* as tests/e2e/run.h does */'|fail"
  "a comment from a deeper folder|comment_paths_check.py|plant app/z.cpp '// See sdl/gone.h.'|fail"
  "a script's comment naming a gone script|comment_paths_check.py|plant tests/smoke/t.sh '# Needs tests/smoke/lib.sh.'|fail"
  "a tree that keeps its rules|root_check.sh||pass"
  "a notes file at the root|root_check.sh|plant NOTES-PLATFORM.md '# a -> b'|fail"
  "a hand-off note at the root|root_check.sh|plant handoff.txt 'for b'|fail"
  "a guide at the root|root_check.sh|plant HOSTING.md '# Hosting'|fail"
  "a notes file deeper down is a folder's own|root_check.sh|plant docs/release-notes.md x|pass"
  "a README that opens with another command|root_check.sh|sed -i 's#^./play.sh#make#' README.md|fail"
  "a README whose quick start swapped its commands|root_check.sh|sed -i 's#^./play.sh#./tmp#;s#^./test.sh#./play.sh#;s#^./tmp#./test.sh#' README.md|fail"
  "a README whose quick start grew a third command|root_check.sh|sed -i '0,/^\\.\\/test.sh/s##./test.sh\\n./bench.sh#' README.md|fail"
  "a README without a quick start|root_check.sh|printf '# Game\\n' >README.md|fail"
)
failed=0
for entry in "${cases[@]}"; do
  IFS='|' read -r name check planting expected <<<"$entry"
  base_tree
  git add -A
  if [ -n "$planting" ]; then eval "$planting"; fi
  git add -A
  status=pass
  case "$check" in
    *.py) "${PYTHON:-python3}" "$lint/$check" . >/dev/null 2>&1 || status=fail ;;
    *) "$lint/$check" . >/dev/null 2>&1 || status=fail ;;
  esac
  if [ "$status" != "$expected" ]; then
    echo "FAILED: $name: $check should $expected but did $status" >&2
    failed=1
  fi
done
[ "$failed" -eq 0 ] || exit 1
echo "the tree's checks fail on every planted fault and pass without one"
