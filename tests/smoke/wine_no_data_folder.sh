#!/usr/bin/env bash
# A Windows player whose data folder is on a drive that is not there (a USB
# stick left out): the game, copied with its installed files into a folder of
# its own as a zip leaves it, shows a box at the start that gives the reason
# itself (there is no log to send the player to), plays a middle game to its
# end from the installed files, and writes nothing in the program's folder:
# no table, no replay, no log.
# Usage: wine_no_data_folder.sh SOURCE_DIR BUILD_DIR SCREENSHOT_DIR BOX_TEXT_EXE
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
xvfb_start 640x480 "$0" "$@"
box_text="$4"
export SDL_AUDIODRIVER=dummy
prog="$work/prog"
mkdir -p "$prog"
cp "$build/morvex2.exe" "$prog/"
cp -r "$build/share" "$prog/"
listing() { (cd "$prog" && find . -type f -print0 | sort -z | xargs -0 sha1sum); }
before="$(listing)"

game=""
trap 'if [ -n "$game" ]; then kill "$game" 2>/dev/null || true; fi; rm -rf "$work"' EXIT
(cd / && exec "$src/scripts/wine.sh" "$prog/morvex2.exe" --window --lang en --data-dir 'Q:\morvex2' \
   2> "$work/game.err") &
game=$!
# (Windows' C runtime ends its lines in CR LF.)
said="$("$src/scripts/wine.sh" "$box_text" Morvex2 60 | tr -d '\r')" || fail "no box came at the start"
echo "the box: $said"
case "$said" in
  "Morvex2
The game's data folder cannot be used: this time nothing is saved, not the high scores, the replays, nor results for the world table. /  / cannot create the data folder 'Q:\\morvex2': "*"; playing from the installed files, high scores are not saved / ") ;;
  *) fail "the box said: $said" ;;
esac
win="$(title_window "$game")"
play_middle_to_end "$win" wine-no-data-folder
# ESC on the high-score screen ends the game, with status 0. On a busy machine
# Wine may not have finished the game when the drops end: ESC on the play
# screen goes back to the title, and the second ESC ends the game from there.
# Either way the game has played on without its data folder.
press "$win" Escape
if ! wait_for 10 bash -c "! kill -0 $game"; then
  echo "the game was still on the play screen at the first ESC"
  press "$win" Escape
  wait_for 10 bash -c "! kill -0 $game" || { kill "$game"; cat "$work/game.err"; fail "the game did not end on ESC"; }
fi
status=0
wait "$game" || status=$?
[ "$status" -eq 0 ] || fail "the game ended with status $status"
game=""
[ "$(listing)" = "$before" ] || { diff <(echo "$before") <(listing) || true; fail "the game wrote in its own folder"; }
echo "wine no-data-folder run passed: the box gave the reason, nothing written in $prog"
