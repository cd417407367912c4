#!/usr/bin/env bash
# Sets everything up and runs every test: once in a normal build, once under
# AddressSanitizer and UndefinedBehaviorSanitizer; then builds the game alone
# in Release with GCC and with clang.
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
# The game as players and packagers build it, by each compiler, warnings as errors.
for kind in game clang; do
  echo "== $kind build"
  "$root/scripts/build.sh" "$kind"
done
