#!/usr/bin/env bash
# Sets everything up and runs every test: once in a normal build, once under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/install-deps.sh"
jobs="$(nproc)"
for kind in release asan; do
  echo "== $kind build"
  "$root/scripts/build.sh" "$kind"
  echo "== $kind tests"
  ASAN_OPTIONS=detect_leaks=0 ctest --test-dir "$root/build/$kind" --output-on-failure -j "$jobs"
done
