#!/usr/bin/env bash
# The world tables' server goes down at the end of a ranked game and comes
# back before the next start: the real server on the loopback, the real game
# on a virtual X server playing there (--server), an advanced game played
# with xdotool. Once the stack is well up and the game has just told its
# progress the server is stopped, and the game is brought to its end at once (every piece dropped
# where it appears): its end cannot be told, and its result is kept. The
# server is started again on the same store and port, the game started again:
# the kept result is sent, and its entry must be in the table, vouched for by
# the progress the server had. TARGET: linux (the default; BUILD_DIR the
# Linux build) or wine (BUILD_DIR build/windows, the game in a Wine prefix of
# the run's own, its requests through WinHTTP).
# Usage: xvfb_world_down.sh SOURCE_DIR BUILD_DIR SCREENSHOT_DIR SERVER_PROGRAM [TARGET]
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
server_program="$4"
target="${5:-linux}"
# The Windows build's test command runs beside the Linux build, which may not have made the
# server yet.
if [ ! -x "$server_program" ]; then
  echo "SKIPPED: needs $server_program (scripts/build.sh release morvex2-server)"
  exit 77
fi
xvfb_start 640x480 "$0" "$@"
game_in_scratch
server=""
prefix=""
if [ "$target" = wine ]; then
  . "$src/tests/smoke/wine_prefix.sh"
  trap 'for p in $game $server; do kill "$p" 2>/dev/null || true; done; wine_drop_prefix; rm -rf "$work"' EXIT
  wine_own_prefix
  data="$work/data"
  mkdir -p "$data"
  program=("$src/scripts/wine.sh" "$build/morvex2.exe" --window --lang en --data-dir "$data")
else
  trap 'for p in $game $server; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
  data="$XDG_DATA_HOME/morvex2"
  program=("$build/morvex2" --window)
fi
start_game() {
  (cd / && exec "${program[@]}" --name DOWN --server "$url" 2>> "$work/game.err") &
  game=$!
}

world_server "$server_program"
port="${url##*:}"

start_game
win="$(title_window "$game")"
# The tickets, asked for as the title screen starts: a game started without one is not ranked.
given() { curl -sf "$url/metrics" | grep -Eq 'route="/api/v1/tickets",status="201"\} ([3-9]|[1-9][0-9])$'; }
wait_for 30 given || fail "the game was given no tickets"

# How many progress stamps the server has taken.
told() {
  curl -sf "$url/metrics" |
    sed -n 's/.*route="\/api\/v1\/tickets\/{id}\/progress",status="204"} \([0-9]*\)$/\1/p' |
    grep . || echo 0
}
press "$win" Down
press "$win" Return
sleep 0.5
press "$win" Return
# Pieces spread over the field until the stack is well up, then until the game has just told
# its progress: the server goes down there, and the game ends within seconds.
pieces=0
seen=0
while :; do
  now="$(told)"
  [ "$now" -gt "$seen" ] && [ "$pieces" -ge 12 ] && break
  seen="$now"
  [ "$pieces" -lt 90 ] || fail "the game told no progress"
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
start_game
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
echo "$target server-down run passed: the kept result (score $score) entered the world table at the next start"
