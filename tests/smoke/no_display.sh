#!/usr/bin/env bash
# With no display server at all and no video driver asked for, the game says
# why it cannot start on standard error and ends at once with status 1, a
# failure, instead of running where nobody can see it. The message is the
# game's own Japanese one; where the locale is not Japanese an English line
# follows it.
# Usage: no_display.sh BUILD_DIR
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
japanese='Morvex2: DirectDrawのセットアップに失敗'
english='Morvex2: The screen could not be set up.'

run_without_display() {  # run_without_display LOCALE: the game's stderr in $work/err
  local status=0
  env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER -u LC_MESSAGES -u LANG LC_ALL="$1" \
    HOME="$work" XDG_DATA_HOME="$work/data" \
    timeout 5 "$build/morvex2" >"$work/out" 2>"$work/err" || status=$?
  cat "$work/err"
  [ "$status" -ne 124 ] || { echo "FAILED ($1): still running after 5 s"; exit 1; }
  [ "$status" -eq 1 ] || { echo "FAILED ($1): exit status $status, not 1"; exit 1; }
  grep -qx "$japanese" "$work/err" || { echo "FAILED ($1): no message"; exit 1; }
}

run_without_display ja_JP.UTF-8
! grep -qx "$english" "$work/err" || { echo "FAILED: English in Japanese"; exit 1; }
run_without_display C
grep -A1 -x "$japanese" "$work/err" | tail -n1 | grep -qx "$english" ||
  { echo "FAILED: no English line after the message"; exit 1; }
echo "no-display run passed"
