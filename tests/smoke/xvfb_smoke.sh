#!/usr/bin/env bash
# A new player's first minute, on a real X server: the start-up command shows
# the title screen, RETURN starts a game, ESC leaves it, ESC on the title
# screen closes the window and the program ends with status 0.
# Usage: xvfb_smoke.sh SOURCE_DIR BUILD_DIR [SCREENSHOT_DIR]
set -euo pipefail
src="$1"
build="$2"
shots="${3:-$(mktemp -d)}"
mkdir -p "$shots"

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 640x480x24" "$0" "$@"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data"
# No sound card here: SDL's silent driver keeps the run quiet and quick.
export SDL_AUDIODRIVER=dummy

"$src/scripts/run-game.sh" "$build" &
game=$!

wait_for() {  # wait_for SECONDS COMMAND...: poll until the command succeeds
  local limit=$(( $1 * 10 )); shift
  for _ in $(seq "$limit"); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}

window_shown() { xdotool search --onlyvisible --name '^Morvex2$'; }
screen_not_black() {
  import -window root "$shots/$1.png" &&
    [ "$(convert "$shots/$1.png" -format '%[fx:mean>0.02]' info:)" = 1 ]
}

wait_for 30 window_shown || { echo "no window"; kill "$game"; exit 1; }
wait_for 10 screen_not_black title || { echo "the title screen stays black"; kill "$game"; exit 1; }
win="$(window_shown | head -n1)"
xdotool windowfocus --sync "$win" 2>/dev/null || true

xdotool key --window "$win" Return
sleep 1
import -window root "$shots/game.png"
xdotool key --window "$win" Escape
sleep 1
import -window root "$shots/title-again.png"
xdotool key --window "$win" Escape

if ! wait_for 10 bash -c "! kill -0 $game"; then
  echo "the game did not end on ESC"
  kill "$game"
  exit 1
fi
status=0
wait "$game" || status=$?
[ "$status" -eq 0 ] || { echo "exit status $status"; exit 1; }
[ -s "$XDG_DATA_HOME/morvex2/tyuu.pod" ] || { echo "working folder not set up"; exit 1; }
echo "smoke run passed; screenshots in $shots"
