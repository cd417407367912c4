#!/usr/bin/env bash
# The Windows build's first minute, under Wine on a real X server: the game
# started with a new data folder shows the title screen (its picture checked
# against the golden title frame), RETURN starts a game, ESC leaves it, ESC on
# the title screen ends the program with status 0, and the data folder was
# set up.
# Usage: wine_smoke.sh SOURCE_DIR BUILD_DIR [SCREENSHOT_DIR]
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
xvfb_start 640x480 "$0" "$@"
export SDL_AUDIODRIVER=dummy
data="$work/data"

# The picture of the title without its drifting balloons: the logo's panel,
# against the golden frame, a balloon's worth of pixels allowed to differ.
title_matches() {
  convert "$shots/title.png" -crop 560x180+40+20 +repage "$work/shown.png"
  convert "$src/tests/e2e/golden/english_title_beginner.png" -crop 560x180+40+20 +repage \
    "$work/golden.png"
  local diff
  diff="$(compare -metric AE -fuzz 2% "$work/shown.png" "$work/golden.png" null: 2>&1 || true)"
  echo "title: $diff pixels differ from the golden frame"
  [ "${diff%% *}" -lt 2500 ]
}

(cd / && exec "$src/scripts/wine.sh" "$build/morvex2.exe" --window --lang en --data-dir "$data") &
game=$!
win="$(title_window "$game")"
title_matches || fail "the title screen is not the golden one"
press "$win" Return
# The play screen, once Wine has let the game draw it: most of the picture is
# then another than the title's.
game_shown() {
  import -window root "$shots/game.png" &&
    [ "$(compare -metric AE "$shots/title.png" "$shots/game.png" null: 2>&1 || true)" -gt 50000 ]
}
wait_for 10 game_shown || fail "RETURN did not start a game"
press "$win" Escape
sleep 1
quit_from_title "$game" "$win"
[ "$(stat -c %s "$data/tyuu.pod")" = 590 ] || fail "the data folder was not set up"
echo "wine smoke run passed; screenshots in $shots"
