#!/usr/bin/env bash
# The world tables' server goes down at the end of a ranked game and comes
# back before the next start: the real server on the loopback, the real game
# on a virtual X server playing there (--server), an advanced game played
# with xdotool. Once the game has told its first progress the server is
# stopped, and the game is brought to its end at once (every piece dropped
# where it appears): its end cannot be told, and its result is kept. The
# server is started again on the same store and port, the game started again:
# the kept result is sent, and its entry must be in the table, vouched for by
# the progress the server had.
# Usage: xvfb_world_down.sh SOURCE_DIR BUILD_DIR SCREENSHOT_DIR SERVER_PROGRAM
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
xvfb_start 640x480 "$0" "$@"
server_program="$4"
game_in_scratch
data="$XDG_DATA_HOME/morvex2"
server=""
trap 'for p in $game $server; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT

world_server "$server_program"
port="${url##*:}"

(cd / && exec "$build/morvex2" --window --name DOWN --server "$url" 2> "$work/game.err") &
game=$!
win="$(title_window "$game")"
sleep 1  # the tickets, asked for as the title screen starts

told() { curl -sf "$url/metrics" | grep -q 'route="/api/v1/tickets/{id}/progress",status="204"'; }
press "$win" Down
press "$win" Return
sleep 0.5
press "$win" Return
# Pieces spread over the field until the game has told its first progress (10 s in).
pieces=0
until told; do
  [ "$pieces" -lt 60 ] || fail "the game told no progress"
  shift=$((pieces * 3 % 8 - 3))
  key=Right
  [ "$shift" -ge 0 ] || { key=Left; shift=$((-shift)); }
  pieces=$((pieces + 1))
  press "$win" Up
  for _ in $(seq "$shift"); do press "$win" "$key"; done
  xdotool keydown Down; sleep 0.3; xdotool keyup Down
  sleep 0.2
done
kill "$server"
wait "$server" 2>/dev/null || true
server=""
# Every piece straight down where it appears: the stack reaches the top soon.
for _ in $(seq 40); do
  [ -e "$data/last.mvr" ] && break
  xdotool keydown Down; sleep 0.25; xdotool keyup Down
done
wait_for 20 test -e "$data/last.mvr" || fail "the game did not end"
wait_for 20 test -e "$data/world-pending.txt" || { cat "$work/game.err"; fail "the result was not kept"; }
score="$(python3 -c 'import struct,sys; b=open(sys.argv[1],"rb").read(); print(struct.unpack("<i", b[12:16])[0])' "$data/last.mvr")"
press "$win" Escape
wait_for 10 bash -c "! kill -0 $game" || fail "the game did not end on ESC"
game=""

# The server back on its store and port; the game's next start sends the kept result.
"$server_program" --data "$work/server" --listen "127.0.0.1:$port" >>"$work/server.log" 2>&1 &
server=$!
wait_for 20 curl -sf "$url/healthz" || { cat "$work/server.log"; fail "the server did not start again"; }
(cd / && exec "$build/morvex2" --window --name DOWN --server "$url" 2>> "$work/game.err") &
game=$!
win="$(title_window "$game")"
seen() {
  curl -sf "$url/api/v1/tables/0" | python3 -c '
import json, sys
entries = json.load(sys.stdin)["entries"]
sys.exit(0 if any(e["score"] == int(sys.argv[1]) and e["name"] == "DOWN" for e in entries) else 1)' "$score"
}
if ! wait_for 20 seen; then
  curl -s "$url/api/v1/tables/0"; echo; cat "$work/game.err" "$work/server.log"
  fail "the kept result (score $score) did not enter the world table"
fi
wait_for 10 bash -c "! test -e '$data/world-pending.txt'" || fail "the result was taken but is still kept"
quit_from_title "$game" "$win"
game=""
echo "server-down run passed: the kept result (score $score) entered the world table at the next start"
