#!/usr/bin/env bash
# Sets everything up and runs every test: once in a normal build, with the X11
# accelerator and FluidSynth; once under AddressSanitizer,
# UndefinedBehaviorSanitizer and LeakSanitizer (leaks are failures;
# tests/lsan.supp lists the little that system libraries keep), built the
# portable way, without either; then builds the game alone in Release with GCC
# and with clang; then builds the game and its suites for Windows and runs them
# under Wine, and makes the Windows zip and installer and tries them there;
# then builds the browser's page and plays it in a headless chromium.
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
# The game as players and packagers build it, by each compiler, warnings as errors.
for kind in game clang; do
  echo "== $kind build"
  "$root/scripts/build.sh" "$kind"
done
# The game for 64-bit Windows (SDL built once per machine), its suites and the
# program itself under Wine.
echo "== windows build"
"$root/scripts/build.sh" windows
echo "== windows tests"
ctest --test-dir "$root/build/windows" --output-on-failure -j "$jobs"
# The Windows downloads, made by scripts/package.sh windows, then installed,
# started and uninstalled under Wine.
echo "== windows package"
"$root/tests/smoke/windows_package.sh" "$root" "$root/build/windows" "$root/build/windows/screenshots"
# The browser build uses the game build's tools and tunes.
echo "== web build"
"$root/scripts/build.sh" web
echo "== web tests"
"$root/tests/web/run.sh"
