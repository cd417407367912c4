#!/usr/bin/env bash
# The mouse pointer over the full-screen game: hidden while the mouse rests,
# shown when it moves, hidden again once it has rested for two seconds; in a
# window it stays.
# Usage: xvfb_pointer.sh SOURCE_DIR BUILD_DIR SCREENSHOT_DIR POINTER_SHOWN
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
xvfb_start 800x600 "$0" "$@"
pointer_shown="$4"
game_in_scratch
hidden() { ! "$pointer_shown"; }

(cd / && exec "$build/morvex2") &
game=$!
win="$(title_window "$game")" || fail "no title screen"
xdotool mousemove 400 300
press "$win" Return
sleep 0.5
press "$win" Return  # the game runs
wait_for 5 hidden || fail "the pointer is shown over the full-screen game"
xdotool mousemove 420 310
wait_for 2 "$pointer_shown" || fail "a mouse move did not bring the pointer back"
sleep 1
"$pointer_shown" >/dev/null || fail "the pointer hid again before the mouse had rested"
wait_for 4 hidden || fail "the pointer stays after the mouse has rested"
press "$win" alt+Return  # a window: the pointer is the desktop's again
wait_for 5 "$pointer_shown" || fail "the pointer is hidden over the window"
press "$win" Escape
sleep 0.5
quit_from_title "$game" "$win" || exit 1
game=""
echo "pointer passed"
