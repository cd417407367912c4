#!/usr/bin/env bash
# What a Windows player sees when a result cannot be kept, under Wine on a
# real X server. A game that takes first place in a table marked read-only
# (with a clap the game refuses in the data folder) ends on the high-score
# screen showing the table as its file holds it, no red row, and one warning
# box above it: its title and text are read back from the window list and it
# is clicked away. The table and its read-only mark are untouched, no best
# replay is written, the data folder's morvex2.log says why and holds the
# refused clap's line, and ESC ends the game with status 0. Then the game
# starts in a data folder 300 characters deep and sets it up.
# Usage: wine_files.sh SOURCE_DIR BUILD_DIR SCREENSHOT_DIR BOX_TEXT_EXE
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
xvfb_start 640x480 "$0" "$@"
box_text="$4"
export SDL_AUDIODRIVER=dummy
data="$work/data"
mkdir -p "$data"

# Ten rows scored -1, so that any game enters at the top; stored form: every
# byte 0x20 below the text's, a NUL after each text.
python3 - "$data/tyuu.pod" <<'PY'
import sys
table = bytearray(590)
fields = [(0, 16), (160, 29), (450, 9), (540, 5)]
for row in range(10):
    texts = [chr(ord("A") + row), "Mon Jan 01 00:00:00 2001", "-1", "0"]
    for (offset, width), text in zip(fields, texts):
        stored = (text.encode() + b"\0")[:width]
        for i, byte in enumerate(stored):
            table[offset + width * row + i] = (byte - 0x20) & 0xFF
open(sys.argv[1], "wb").write(table)
PY
cp "$data/tyuu.pod" "$work/tyuu.before"
chmod 0444 "$data/tyuu.pod"
printf 'Taro' > "$data/zel.ini"
printf 'not a wave at all' > "$data/Clap.wav"

game=""
trap 'if [ -n "$game" ]; then kill "$game" 2>/dev/null || true; fi; rm -rf "$work"' EXIT
(cd / && exec "$src/scripts/wine.sh" "$build/morvex2.exe" --window --lang en --data-dir "$data") &
game=$!
win="$(title_window "$game")"
boxes() { xdotool search --name '^Morvex2$' 2>/dev/null | wc -l; }

# The middle level: each piece turned upright and dropped in the middle,
# until the game ends and the box stands over the window.
started=$SECONDS
press "$win" Return  # the play screen
sleep 0.5
press "$win" Return  # the game starts
sleep 0.6
for _ in $(seq 60); do
  [ "$(boxes)" -ge 2 ] && break
  press "$win" Up
  xdotool keydown Down; sleep 0.3; xdotool keyup Down
  sleep 0.2
done
[ "$(boxes)" -ge 2 ] || import -window root "$shots/no-box.png"
[ "$(boxes)" -ge 2 ] || fail "no box came after the game (the window list holds $(boxes) Morvex2 windows)"
echo "the game ended and the box came after $((SECONDS - started)) s"
# (Windows' C runtime ends its lines in CR LF.)
said="$("$src/scripts/wine.sh" "$box_text" Morvex2 10 | tr -d '\r')" || fail "the box could not be read"
expected="Morvex2
The result of this game could not be saved in the high-score table. / The reason is written in morvex2.log in the game's data folder."
[ "$said" = "$expected" ] || fail "the box said: $said"
wait_for 10 test -e "$data/last.mvr" || fail "the game did not go on after the box"
sleep 0.5
import -window root "$shots/not-saved.png"
red="$(convert "$shots/not-saved.png" -crop 560x400+60+70 +repage txt:- | grep -c '#FF0000' || true)"
[ "$red" = 0 ] || fail "the high-score screen shows a red row ($red red pixels)"
cmp -s "$work/tyuu.before" "$data/tyuu.pod" || fail "the read-only table was changed"
[ "$(stat -c %a "$data/tyuu.pod")" = 444 ] || fail "the table lost its read-only mark"
[ ! -e "$data/tyuu-best.mvr" ] || fail "a best replay was written for a result not saved"
quit_from_title "$game" "$win" || fail "the game did not end with status 0"
game=""
log="$data/morvex2.log"
[ -f "$log" ] || fail "no morvex2.log in the data folder"
for line in "morvex2: reading Clap.wav: not a clap the game can play" \
            "morvex2: tyuu.pod: the table is read-only, and the game leaves it so" \
            "morvex2: this game's result (score [0-9]*, [0-9]* removed): not saved in tyuu.pod"; do
  grep -q "^[0-9-]* [0-9:]* $line" "$log" || { cat "$log"; fail "morvex2.log lacks: $line"; }
done
echo "morvex2.log:"; cat "$log"

# A data folder 300 characters deep, as Windows sees it past its drive.
deep="$work/deep"
while [ ${#deep} -lt 300 ]; do
  left=$((300 - ${#deep} - 1))
  [ "$left" -gt 120 ] && left=120
  deep="$deep/$(printf 'd%.0s' $(seq "$left"))"
done
(cd / && exec "$src/scripts/wine.sh" "$build/morvex2.exe" --window --lang en --data-dir "$deep") &
game=$!
win="$(title_window "$game")"
quit_from_title "$game" "$win" || fail "the game in the deep folder did not end with status 0"
game=""
[ "$(stat -c %s "$deep/tyuu.pod")" = 590 ] || fail "the deep data folder was not set up"
[ -s "$deep/Clap.wav" ] || fail "the clap was not installed in the deep data folder"
echo "wine files run passed; screenshots in $shots"
