#!/usr/bin/env bash
# A data folder that cannot be made (--data-dir below a plain file, as a drive
# that is not there): the real game, copied with its installed files into a
# folder of its own, says so on standard error, plays a middle game to its end
# from the installed files, and writes nothing there, nor anywhere else: no
# table, no replay, no log. With a world server chosen it also says that the
# game is not ranked, and asks the server for nothing.
# Usage: xvfb_no_data_folder.sh SOURCE_DIR BUILD_DIR SCREENSHOT_DIR
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
xvfb_start 640x480 "$0" "$@"
game_in_scratch
prog="$work/prog"
mkdir -p "$prog/share"
cp "$build/morvex2" "$prog/"
cp -r "$build/share/morvex2" "$prog/share/"
touch "$work/not-a-drive"
missing="$work/not-a-drive/morvex2"
listing() { (cd "$work" && find . -path ./config -prune -o -type f ! -name game.err -print0 | sort -z | xargs -0 sha1sum); }
before="$(listing)"

# A port where nothing listens: a request there would be seen as a refusal.
(cd / && exec "$prog/morvex2" --window --data-dir "$missing" --server http://127.0.0.1:9 \
   2> "$work/game.err") &
game=$!
win="$(title_window "$game")"
play_middle_to_end "$win" no-data-folder-ranking
# ESC on the high-score screen ends the game, with status 0.
quit_from_title "$game" "$win" || { cat "$work/game.err"; fail "the game did not end on ESC from the high-score screen"; }
game=""
cat "$work/game.err"
grep -q "^morvex2: cannot create the data folder '$missing': Not a directory; playing from the installed files, high scores are not saved$" \
  "$work/game.err" || fail "standard error does not say the data folder cannot be made"
grep -q "^morvex2: this game is not ranked: there is no data folder to keep its world results in$" \
  "$work/game.err" || fail "standard error does not say the game is not ranked"
[ "$(listing)" = "$before" ] || { diff <(echo "$before") <(listing) || true; fail "the game wrote files"; }
echo "no-data-folder run passed: nothing written; screenshot in $shots"
