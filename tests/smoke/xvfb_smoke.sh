#!/usr/bin/env bash
# A new player's first minute, on a real X server: the game started from any
# folder sets up its data folder and shows the title screen, RETURN starts a
# game, ESC leaves it, ESC on the title screen closes the window and the
# program ends with status 0. Without a world server, the game never loads
# the network library, nor the synthesiser for the game's own tunes.
# Usage: xvfb_smoke.sh SOURCE_DIR BUILD_DIR [SCREENSHOT_DIR]
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
xvfb_start 640x480 "$0" "$@"
export XDG_DATA_HOME="$work/data"
# No sound card here: SDL's silent driver keeps the run quiet and quick.
export SDL_AUDIODRIVER=dummy

(cd / && exec "$build/morvex2") &
game=$!
win="$(title_window "$game")"

press "$win" Return
sleep 1
import -window root "$shots/game.png"
press "$win" Escape
sleep 1
import -window root "$shots/title-again.png"
# With no world server chosen and the game's own tunes, nothing of the
# network client or the synthesiser is loaded, through a game and back.
unused="$(feature_libraries "$game")"
[ -z "$unused" ] || { kill "$game"; fail "libraries of features not in use are loaded: $unused"; }
quit_from_title "$game" "$win"
[ -s "$XDG_DATA_HOME/morvex2/tyuu.pod" ] || { echo "working folder not set up"; exit 1; }
echo "smoke run passed; screenshots in $shots"
