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
# Each part says when it starts, counted from the start, so a slow part shows.
part() { printf '== %s (at %dm%02ds)\n' "$1" $((SECONDS / 60)) $((SECONDS % 60)); }
"$root/scripts/install-deps.sh"
jobs="$(nproc)"
for kind in release asan; do
  part "$kind build"
  "$root/scripts/build.sh" "$kind"
  part "$kind tests"
  LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" ctest --test-dir "$root/build/$kind" --output-on-failure -j "$jobs"
done
# The game as players and packagers build it, by each compiler, warnings as errors.
for kind in game clang; do
  part "$kind build"
  "$root/scripts/build.sh" "$kind"
done
# The game for 64-bit Windows (SDL built once per machine), its suites and the
# program itself under Wine.
part "windows build"
"$root/scripts/build.sh" windows
part "windows tests"
ctest --test-dir "$root/build/windows" --output-on-failure -j "$jobs"
# The Windows downloads, made by scripts/package.sh windows, then installed,
# started and uninstalled under Wine.
part "windows package"
"$root/tests/smoke/windows_package.sh" "$root" "$root/build/windows" "$root/build/windows/screenshots"
# The browser build uses the game build's tools and tunes.
part "web build"
"$root/scripts/build.sh" web
part "web tests"
"$root/tests/web/run.sh"
part "all passed"
