#!/usr/bin/env bash
# Sets everything up and runs every test: once in a normal build, with the X11
# accelerator and FluidSynth; once under AddressSanitizer,
# UndefinedBehaviorSanitizer and LeakSanitizer (leaks are failures;
# tests/lsan.supp lists the little that system libraries keep), built the
# portable way, without either; builds the game alone in Release with GCC and
# with clang; then the Windows and browser builds with their tests
# (scripts/test-cross.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
# Each part says when it starts, counted from the start, so a slow part shows.
part() { printf '== %s (at %dm%02ds)\n' "$1" $((SECONDS / 60)) $((SECONDS % 60)); }
"$root/scripts/install-deps.sh" linux
jobs="$(nproc)"
# The game as players and packagers build it, first: the Windows and browser
# builds take their tools and tunes from it.
part "game build"
"$root/scripts/build.sh" game
for kind in release asan; do
  part "$kind build"
  "$root/scripts/build.sh" "$kind"
  part "$kind tests"
  LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" ctest --test-dir "$root/build/$kind" --output-on-failure -j "$jobs"
done
# The game by a second compiler, warnings as errors.
part "clang build"
"$root/scripts/build.sh" clang
# The Windows and browser builds and their tests. Run beside the Linux part
# they would take a few minutes off, but the Wayland smoke test then twice
# never got the keyboard from the nested compositor.
part "windows and browser"
"$root/scripts/test-cross.sh"
part "all passed"
