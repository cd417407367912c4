#!/usr/bin/env bash
# The game on a Wayland compositor, with no X server of its own: weston, nested
# in a virtual X server, shows the game's window only once it has a picture,
# and gives it the keyboard only then. The title screen must come up all the
# same, and ESC must end the game with status 0.
# Usage: wayland_smoke.sh SOURCE_DIR BUILD_DIR [SCREENSHOT_DIR]
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
xvfb_start 640x480 "$0" "$@"
game=""
compositor=""
# At exit, whatever is still running goes: a weston left behind without its
# X server spins on a core.
trap 'for pid in $game $compositor; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"' EXIT

fail() { echo "$*" >&2; exit 1; }

# weston's output fills the virtual screen, so the game's desktop is 640 x 480
# and the title is shown pixel for pixel; the kiosk shell gives it the whole
# output, as a full screen would.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket=morvex2-smoke
weston --backend=x11-backend.so --use-pixman --shell=kiosk-shell.so --socket="$socket" \
  --width=640 --height=480 --no-config --idle-time=0 >"$work/weston.log" 2>&1 &
compositor=$!
compositor_window() { xdotool search --class '^Weston Compositor$'; }
compositor_up() { [ -S "$XDG_RUNTIME_DIR/$socket" ] && compositor_window; }
wait_for 30 compositor_up || { cat "$work/weston.log" >&2; fail "weston did not start"; }
# The virtual server's keyboard goes to weston's window once, before the game
# has a window: given again while the game runs, the server could tell weston
# its window lost the keyboard after telling it that it got it, and weston
# then passed no key on to the game at all, however often it was given.
xdotool windowfocus --sync "$(compositor_window | head -n1)"

(cd / && exec env -u DISPLAY WAYLAND_DISPLAY="$socket" SDL_VIDEODRIVER=wayland \
   SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$work/config" \
   "$build/morvex2" --window --data-dir "$work/data") &
game=$!

# The title's three menu lines stand on pure blue, about 5 % of the screen;
# neither black nor weston's own background has any.
title_shown() {
  import -window root "$shots/wayland-title.png" &&
    awk -v share="$(convert "$shots/wayland-title.png" -fill black +opaque '#0000FF' \
                      -fill white -opaque '#0000FF' -format '%[fx:mean]' info:)" \
      'BEGIN { exit !(share > 0.03) }'
}
title_or_gone() { ! kill -0 "$game" || title_shown; }
wait_for 30 title_or_gone || true
kill -0 "$game" 2>/dev/null || fail "the game ended before its title screen"
title_shown || fail "the title screen was never shown"

# weston hands the keyboard to the game's window a moment after it is shown,
# and a busy machine can make that moment long: a key typed before then goes
# nowhere. So ESC is typed again each second until the game has ended (on the
# title, ESC only ever quits), for at most 20 s.
game_gone() { ! kill -0 "$game"; }
for _ in $(seq 20); do
  xdotool key Escape
  wait_for 1 game_gone && break
done
if ! game_gone 2>/dev/null; then
  import -window root "$shots/wayland-no-quit.png" 2>/dev/null || true
  tail -n 20 "$work/weston.log" >&2
  fail "ESC did not end the game (screen in $shots/wayland-no-quit.png)"
fi
status=0
wait "$game" || status=$?
game=""
[ "$status" -eq 0 ] || fail "the game ended with status $status"
echo "Wayland smoke run passed; screenshot in $shots"
