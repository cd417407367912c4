#!/usr/bin/env bash
# The picture on a 1280 x 800 screen, as on a handheld: a running game fills
# the full height in its 4:3 area (columns 107 to 1172) on black; Alt+S gives
# the pixel-exact 640 x 480 picture in the middle; the choice is kept in the
# settings file and the next start comes up with it.
# Usage: xvfb_screen_fill.sh SOURCE_DIR BUILD_DIR [SCREENSHOT_DIR]
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
xvfb_start 1280x800 "$0" "$@"
game_in_scratch
# The brightest pixel of an area of a screenshot, 0 to 1: 0 is all black.
brightest() { convert "$1" -crop "$2" +repage -format '%[fx:maxima]' info:; }
lit() { awk -v v="$(brightest "$1" "$2")" 'BEGIN { exit !(v > 0.05) }'; }
black() { [ "$(brightest "$1" "$2")" = 0 ]; }
shot() { import -window root "$shots/$1.png"; }
start() {
  (cd / && exec "$build/morvex2") &
  game=$!
  win="$(title_window "$game")" || fail "no title screen"
  sleep 0.5  # the first frame may be out before the window covers the screen
}
stop() {
  quit_from_title "$game" "$win" || exit 1
  game=""
}

# --- smooth, the default: every row of the 4:3 area, black beside it.
start
press "$win" Return
sleep 0.5
press "$win" Return  # the game runs
sleep 1
shot smooth
for row in 0 799; do lit "$shots/smooth.png" "1066x1+107+$row" || fail "row $row is not covered"; done
for column in 107 1172; do lit "$shots/smooth.png" "1x800+$column+0" || fail "column $column is empty"; done
black "$shots/smooth.png" 107x800+0+0 || fail "the left border is not black"
black "$shots/smooth.png" 107x800+1173+0 || fail "the right border is not black"

# --- Alt+S: the pixel-exact picture, 640 x 480 in the middle.
press "$win" alt+s
sleep 1
shot exact
lit "$shots/exact.png" 640x480+320+160 || fail "no pixel-exact picture"
black "$shots/exact.png" 1280x160+0+0 || fail "above the pixel-exact picture is not black"
black "$shots/exact.png" 1280x160+0+640 || fail "below the pixel-exact picture is not black"
black "$shots/exact.png" 320x800+0+0 || fail "left of the pixel-exact picture is not black"
press "$win" Escape
sleep 0.5
stop
grep -qx 'scale = pixel-exact' "$XDG_CONFIG_HOME/morvex2/display.conf" || fail "the scale was not kept"

# --- the next start comes up as it was left.
start
shot again
black "$shots/again.png" 1280x160+0+0 || fail "the next start is not pixel-exact"
stop
echo "screen fill passed; screenshots in $shots"
