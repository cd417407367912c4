#!/usr/bin/env bash
# The Windows and browser part of ./test.sh, which runs it beside the Linux
# part (it can be run alone too, once `scripts/build.sh game` has built the
# game): builds the game and its suites for Windows and runs them under Wine,
# makes the Windows zip and installer and tries them there; then builds the
# browser's page and plays it in a headless chromium. Both take the build
# machine's own tools and tunes from build/game. (The page as the world-table
# server serves it, and the Windows game's ranked game, need that server from
# the release build: ./test.sh plays them once both parts are done.)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
part() { printf '== %s (at %dm%02ds)\n' "$1" $((SECONDS / 60)) $((SECONDS % 60)); }
"$root/scripts/install-deps.sh" cross
# The game for 64-bit Windows (SDL built once per machine), its suites and the
# program itself under Wine.
part "windows build"
"$root/scripts/build.sh" windows
part "windows tests"
# Not the ranked game against the world-table server (label world): that
# server comes from the Linux part's release build, and ./test.sh plays it
# once both parts are done.
ctest --test-dir "$root/build/windows" --output-on-failure -j "$(nproc)" -LE world
# The Windows downloads, made by scripts/package.sh windows, then installed,
# started and uninstalled under Wine.
part "windows package"
"$root/tests/smoke/windows_package.sh" "$root" "$root/build/windows" "$root/build/windows/screenshots"
part "web build"
"$root/scripts/build.sh" web
part "web tests"
"$root/tests/web/run.sh"
# The page measurement's own pieces (a few seconds, no browser).
"$root/tests/web/run.sh" measure_test.mjs
part "windows and browser passed"
