#!/usr/bin/env bash
# A ranked game of the Windows build end to end: the Linux world-table server
# on the loopback with its SQLite store in a scratch folder, the Windows game
# under Wine chosen to play there (--server, its requests through WinHTTP),
# an advanced game played with xdotool to its end. The server must then hold
# the game's entry with the score the game kept, its replay byte for byte as
# the game wrote it in its data folder, and the game's own table the same
# result.
#
# The game runs in a Wine prefix of this run's own (wine_prefix.sh): it keeps
# the server it was told in the prefix.
#
# The server comes from the build machine's release build: MORVEX2_SERVER
# names it; by default build/release/server/morvex2-server, and the test is
# skipped (status 77) when that is not built yet. Named, it must be there.
# Usage: wine_world.sh SOURCE_DIR BUILD_DIR [SCREENSHOT_DIR]
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
server_program="${MORVEX2_SERVER:-$2/../release/server/morvex2-server}"
if [ ! -x "$server_program" ]; then
  [ -n "${MORVEX2_SERVER:-}" ] && { echo "no world-table server at $server_program"; exit 1; }
  echo "SKIPPED: needs $server_program (scripts/build.sh release morvex2-server)"
  exit 77
fi
xvfb_start 640x480 "$0" "$@"
export SDL_AUDIODRIVER=dummy
. "$src/tests/smoke/wine_prefix.sh"
game=""
server=""
prefix=""
stop() {
  for p in $game $server; do kill "$p" 2>/dev/null || true; done
  wine_drop_prefix
  rm -rf "$work"
}
trap stop EXIT
wine_own_prefix

mkdir -p "$work/data"
data="$work/data"
world_server "$server_program"

started=$SECONDS
(cd / && exec "$src/scripts/wine.sh" "$build/morvex2.exe" --window --lang en --data-dir "$data" \
  --name E2E --server "$url" 2>"$work/game.err") &
game=$!
win="$(title_window "$game")"
wait_for 30 tickets_at_least 3 "$url" || fail "the game was given no tickets"
play_spread "$win" "$data" || fail "the game did not end"
echo "the game ended after $((SECONDS - started)) s and $pieces pieces"

# The game's result as its replay keeps it: level, score, removed count.
read -r level score removed < <(python3 -c '
import struct, sys
b = open(sys.argv[1], "rb").read()
print(b[6], *struct.unpack("<ii", b[12:20]))' "$data/last.mvr")
# Its entry, with the replay served byte for byte as the game wrote it.
if ! wait_for 30 world_entry E2E "$data/last.mvr"; then
  curl -s "$url/api/v1/tables/$level"; echo; cat "$work/game.err" "$work/server.log"
  fail "score $score ($removed removed) at level $level is not in the world table as the game wrote it"
fi
entry="$(world_entry E2E "$data/last.mvr")"
wait_for 10 bash -c "[ ! -e '$data/world-pending.txt' ]" || fail "the result was taken but is still kept"
sleep 0.5
import -window root "$shots/wine-world-ranked.png"
press "$win" Escape
wait_for 10 bash -c "! kill -0 $game" || fail "the game did not end on ESC"
game=""

# The game's own table, written as without a server: a game that scored
# enters it (the fresh tables hold nothing above 0), with the same score.
tables=(zyou.pod tyuu.pod syo.pod)
table="$data/${tables[$level]}"
[ "$(stat -c %s "$table")" = 590 ] || fail "the game's own table ${table##*/} was not written"
if [ "$score" -gt 0 ]; then
  python3 - "$table" "$score" <<'PY' || fail "the game's own table does not hold E2E with $score"
import sys
table = open(sys.argv[1], "rb").read()
def text(offset, width, row):
    raw = bytes((b + 0x20) & 0xFF for b in table[offset + width * row:offset + width * (row + 1)])
    return raw.split(b"\0")[0].decode("ascii", "replace")
sys.exit(0 if any(text(0, 16, r) == "E2E" and text(450, 9, r) == sys.argv[2]
                  for r in range(10)) else 1)
PY
fi
! grep -q "not ranked" "$work/game.err" "$data/morvex2.log" 2>/dev/null ||
  { cat "$work/game.err"; fail "the game said it was not ranked"; }
echo "wine world run passed: entry $entry, level $level, score $score, $removed removed;" \
  "screenshots in $shots"
