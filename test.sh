#!/usr/bin/env bash
# Sets everything up and runs every test: once in a normal build, with the X11
# accelerator and FluidSynth; once under AddressSanitizer,
# UndefinedBehaviorSanitizer and LeakSanitizer (leaks are failures;
# tests/lsan.supp lists the little that system libraries keep), built the
# portable way, without either; builds the game alone in Release with GCC and
# with clang; and, beside all that, the Windows and browser builds with their
# tests (scripts/test-cross.sh).
#
# The two parts run side by side: much of each is waiting (a linker, a
# configure step, a game played in real time under Wine or in chromium) that
# the other fills. The second part's output is kept in build/test-cross.log
# and shown when it ends.
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
cross_log="$root/build/test-cross.log"
# The game by a second compiler, warnings as errors, goes with the second
# part, which is the shorter.
setsid bash -c '"$1/scripts/test-cross.sh" && echo "== clang build" && "$1/scripts/build.sh" clang' \
  _ "$root" >"$cross_log" 2>&1 &
cross=$!
# However this script ends, the other part does not outlive it.
trap 'kill -- -"$cross" 2>/dev/null || true' EXIT
for kind in release asan; do
  part "$kind build"
  "$root/scripts/build.sh" "$kind"
  part "$kind tests"
  LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" ctest --test-dir "$root/build/$kind" --output-on-failure -j "$jobs"
done
part "waiting for the Windows and browser part"
status=0
wait "$cross" || status=$?
sed 's/^/  cross: /' "$cross_log"
if [ "$status" -ne 0 ]; then
  echo "== the Windows and browser part failed (status $status); its output is above and in $cross_log"
  exit "$status"
fi
# The page as the world-table server of the release build serves it, and
# ranked games of the Windows build under Wine against that server (one of
# them while it goes down and comes back): both builds are there now, so the
# server is named and must be found.
export MORVEX2_SERVER="$root/build/release/server/morvex2-server"
part "the page on the world-table server"
"$root/tests/web/run.sh" world_test.mjs
part "the page's kept world results sent again"
"$root/tests/web/run.sh" outbox_test.mjs
part "the page's world entry that cannot be read"
"$root/tests/web/run.sh" world_entry_test.mjs
part "Windows games on the world-table server"
ctest --test-dir "$root/build/windows" --output-on-failure -L world
part "all passed"
