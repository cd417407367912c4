#!/usr/bin/env bash
# With no display server at all and no video driver asked for, the game says
# why it cannot start on standard error and ends at once with status 1, a
# failure, instead of running where nobody can see it.
# Usage: no_display.sh BUILD_DIR
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER HOME="$work" XDG_DATA_HOME="$work/data" \
  timeout 5 "$build/morvex2" >"$work/out" 2>"$work/err" || status=$?
cat "$work/err"
[ "$status" -ne 124 ] || { echo "FAILED: still running after 5 s"; exit 1; }
[ "$status" -eq 1 ] || { echo "FAILED: exit status $status, not 1"; exit 1; }
grep -qx 'Morvex2: DirectDrawのセットアップに失敗' "$work/err" || { echo "FAILED: no message"; exit 1; }
echo "no-display run passed"
