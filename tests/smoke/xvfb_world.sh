#!/usr/bin/env bash
# A ranked game end to end: a world-table server on the loopback, the real
# game on a virtual X server chosen to play there (--server), an advanced game
# played with xdotool to its end; the entry must then be in the server's
# table with the score the game showed, and the game's own table written as
# without a server. With URL, the game plays on the tables there (a site
# behind a reverse proxy that another test runs) instead of on a server of
# its own; SERVER_URL... are then the servers behind it, whose tickets are
# counted (URL itself when none is named).
# Usage: xvfb_world.sh SOURCE_DIR BUILD_DIR SCREENSHOT_DIR SERVER_PROGRAM [URL [SERVER_URL...]]
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
xvfb_start 640x480 "$0" "$@"
server_program="$4"
game_in_scratch
data="$XDG_DATA_HOME/morvex2"
server=""
trap 'for p in $game $server; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT

if [ -n "${5:-}" ]; then
  url="$5"
  servers=("${@:6}")
  [ "${#servers[@]}" -gt 0 ] || servers=("$url")
else
  world_server "$server_program"
  servers=("$url")
fi
given="$(tickets_given "${servers[@]}")"

(cd / && exec "$build/morvex2" --window --name E2E --server "$url" 2> "$work/game.err") &
game=$!
win="$(title_window "$game")"
wait_for 30 tickets_at_least $((given + 3)) "${servers[@]}" || fail "the game was given no tickets"
play_spread "$win" "$data" || fail "the game did not end"

# The game's entry: its replay, as the game wrote it, in the world table.
if ! wait_for 20 world_entry E2E "$data/last.mvr"; then
  curl -s "$url/api/v1/tables/0"; echo; cat "$work/game.err"
  [ -z "$server" ] || cat "$work/server.log"
  fail "the game is not in the world table"
fi
score="$(python3 -c 'import struct,sys; b=open(sys.argv[1],"rb").read(); print(struct.unpack("<i", b[12:16])[0])' "$data/last.mvr")"
sleep 0.5
import -window root "$shots/world-ranked.png"
# The network library is loaded when the server is taken up, and only it.
feature_libraries "$game" | grep -q '/libcurl\.so\.4' || fail "the game reached the server without libcurl"
! feature_libraries "$game" | grep -q fluidsynth || fail "the synthesiser was loaded for the game's own tunes"
[ ! -e "$data/world-pending.txt" ] || fail "the result was taken but is still kept"
press "$win" Escape
wait_for 10 bash -c "! kill -0 $game" || fail "the game did not end on ESC"
grep -qx "server = $url" "$XDG_CONFIG_HOME/morvex2/display.conf" ||
  fail "the server was not kept in display.conf"
[ "$(stat -c %s "$data/zyou.pod")" = 590 ] || fail "the game's own table was not written"
! grep -q "not ranked" "$work/game.err" || { cat "$work/game.err"; fail "the game said it was not ranked"; }
echo "world run passed: score $score in the world table; screenshots in $shots"
