#!/usr/bin/env bash
# Sets everything up and runs every test: once in a normal build, once under
# AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer. Leaks are
# failures; tests/lsan.supp lists the little that system libraries keep.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/install-deps.sh"
jobs="$(nproc)"
for kind in release asan; do
  echo "== $kind build"
  "$root/scripts/build.sh" "$kind"
  echo "== $kind tests"
  LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" ctest --test-dir "$root/build/$kind" --output-on-failure -j "$jobs"
done
