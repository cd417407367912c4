#!/usr/bin/env bash
# The world tables' server goes down at the end of a ranked game and comes
# back before the next start: the real server on the loopback, the real game
# on a virtual X server playing there (--server), an advanced game played
# with xdotool. Its end cannot be told, and its result is kept. The server is
# started again on the same store and port, the game started again: the kept
# result is sent, and its entry must be in the table, vouched for by the
# progress the server had.
#
# The server vouches for the last seconds of a game whose end it never heard
# only when the game told its progress shortly before that end, so the end
# must come soon after a progress the server took. How soon a stack reaches
# the top depends on the pieces and on how fast a busy machine plays them,
# so the game is held to it in rounds: paused (its clock and its progress
# go on), the server is stopped as soon as it has taken a progress, and
# every piece is dropped where it appears for a few seconds. A game not over
# by then is paused again and the server started again for the next round.
#
# TARGET: linux (the default; BUILD_DIR the Linux build) or wine (BUILD_DIR
# build/windows, the game in a Wine prefix of the run's own, its requests
# through WinHTTP). MORVEX2_SERVER, when set, names the server, which must
# then be there; otherwise a SERVER_PROGRAM not built yet skips the test.
# Usage: xvfb_world_down.sh SOURCE_DIR BUILD_DIR SCREENSHOT_DIR SERVER_PROGRAM [TARGET]
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
server_program="${MORVEX2_SERVER:-$4}"
target="${5:-linux}"
if [ ! -x "$server_program" ]; then
  [ -n "${MORVEX2_SERVER:-}" ] && { echo "no world-table server at $server_program"; exit 1; }
  # The Windows build's test command runs beside the Linux build, which may not have made
  # the server yet.
  echo "SKIPPED: needs $server_program (scripts/build.sh release morvex2-server)"
  exit 77
fi
xvfb_start 640x480 "$0" "$@"
game_in_scratch
server=""
prefix=""
stop() {
  for p in $game $server; do kill "$p" 2>/dev/null || true; done
  [ "$target" != wine ] || wine_drop_prefix
  rm -rf "$work"
}
trap stop EXIT
if [ "$target" = wine ]; then
  . "$src/tests/smoke/wine_prefix.sh"
  wine_own_prefix
  data="$work/data"
  mkdir -p "$data"
  program=("$src/scripts/wine.sh" "$build/morvex2.exe" --window --lang en --data-dir "$data")
else
  data="$XDG_DATA_HOME/morvex2"
  program=("$build/morvex2" --window)
fi
start_game() {
  (cd / && exec "${program[@]}" --name DOWN --server "$url" 2>> "$work/game.err") &
  game=$!
  win="$(title_window "$game")"
}

# How long each round drops pieces, by the test's clock (the game's is the same
# real time). Its end comes at most this, and the moments it takes to stop the
# server and to pause, after the progress the server took last: well inside
# the 10 s (and the slack) that the server vouches for.
round_ms=6000
now_ms() { echo $(($(date +%s%N) / 1000000)); }
ended() { [ -e "$data/last.mvr" ]; }

world_server "$server_program"
start_game
wait_for 30 tickets_at_least 3 "$url" || fail "the game was given no tickets"

# The advanced level, whose quick pieces end a game soon; the play screen starts paused.
press "$win" Down
press "$win" Return
rounds=0
more_progress() { [ "$(stamps_taken progress)" -gt "$told" ]; }
while :; do
  rounds=$((rounds + 1))
  [ "$rounds" -le 10 ] || fail "the game did not end in 10 rounds"
  told="$(stamps_taken progress)"
  wait_for 20 more_progress || fail "the game told no progress in round $rounds"
  world_server_down
  since="$(now_ms)"
  press "$win" Return
  while ! ended && [ $(($(now_ms) - since)) -lt "$round_ms" ]; do
    xdotool keydown Down; sleep 0.2; xdotool keyup Down
  done
  ended && break
  press "$win" Return
  # A spawn may have ended the game between the last look and the pause.
  sleep 0.3
  ended && break
  world_server_up
done
echo "round $rounds: the game ended $(($(now_ms) - since)) ms after the server went down"
wait_for 20 test -e "$data/world-pending.txt" || { cat "$work/game.err"; fail "the result was not kept"; }
press "$win" Escape
wait_for 10 bash -c "! kill -0 $game" || fail "the game did not end on ESC"
game=""

# The server back on its store and port; the game's next start sends the kept result.
world_server_up
start_game
if ! wait_for 20 world_entry DOWN "$data/last.mvr"; then
  curl -s "$url/api/v1/tables/0"; echo; cat "$work/game.err" "$work/server.log"
  fail "the kept result did not enter the world table"
fi
wait_for 10 bash -c "! test -e '$data/world-pending.txt'" || fail "the result was taken but is still kept"
quit_from_title "$game" "$win"
game=""
# The case as meant: the server never heard the end, and the last progress vouched for the game.
entry="$(world_entry DOWN "$data/last.mvr")"
read -r unheard told_ms < <(sqlite3 -separator ' ' "$work/server/world.sqlite" "SELECT ended_ms IS NULL,
  progress_ms FROM entries JOIN tickets ON tickets.id = entries.ticket_id WHERE entries.id = $entry")
[ "$unheard" = 1 ] || fail "the server heard the game's end: its end was told before the server went down"
echo "$target server-down run passed: the kept result entered the world table as entry $entry at" \
  "the next start, vouched for by the game's progress at $told_ms ms"
