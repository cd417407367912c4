#!/usr/bin/env bash
# Two games on one data folder: game A's result is held up on its way to the
# world tables' server (a stretch of network of the test's own,
# held_result_proxy.py, holds it) while game B, started on the same folder,
# sends it again from the kept results. The server enters B's copy; A's own
# copy, let through then, is answered that its ticket was used. A must show
# its result as entered, not refused, and B says that it entered an earlier
# game's result. Both are the real game on one virtual X server, in English.
# Usage: xvfb_world_shared.sh SOURCE_DIR BUILD_DIR SCREENSHOT_DIR SERVER_PROGRAM
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
xvfb_start 640x480 "$0" "$@"
server_program="$4"
game_in_scratch
data="$XDG_DATA_HOME/morvex2"
server=""
proxy=""
other=""
trap 'for p in $game $other $proxy $server; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT

world_server "$server_program"
python3 "$src/tests/smoke/held_result_proxy.py" "${url#http://}" "$work/proxy.log" "$work/release" \
  >"$work/proxy.out" &
proxy=$!
wait_for 10 grep -q '^listening on ' "$work/proxy.out" || fail "the proxy did not start"
via="http://127.0.0.1:$(sed -n 's/^listening on //p' "$work/proxy.out")"
touch "$work/proxy.log"

(cd / && exec "$build/morvex2" --window --lang en --name SHARED --server "$via" 2>"$work/a.err") &
game=$!
win="$(title_window "$game")"
tickets() { [ "$(grep -c '^answered POST /api/v1/tickets 201$' "$work/proxy.log")" -ge 3 ]; }
wait_for 30 tickets || fail "game A was given no tickets"
play_middle_to_end "$win" shared-sending
wait_for 30 grep -q '^held ' "$work/proxy.log" || { cat "$work/a.err"; fail "A's result was not sent"; }
[ -s "$data/world-pending.txt" ] || fail "A's result is not kept while it is on its way"

# B on the same folder sends the kept result at its start, and it enters. B
# draws off the screen: a window over A's would stay in the picture of A's
# screen after B ends, where A draws only what changes.
(cd / && SDL_VIDEODRIVER=offscreen exec "$build/morvex2" --window --lang en --server "$via" \
  2>"$work/b.err") &
other=$!
entered='a result kept from an earlier game was entered in the world table'
if ! wait_for 20 grep -q "$entered" "$work/b.err"; then
  cat "$work/b.err" "$work/proxy.log"
  fail "B did not send A's kept result again"
fi
kill "$other"
wait "$other" 2>/dev/null || true
other=""

# A's own copy goes through now, and the server says the ticket was used.
touch "$work/release"
wait_for 20 grep -q '^answered POST /api/v1/tickets/[0-9a-f]*/replay 409$' "$work/proxy.log" ||
  { cat "$work/proxy.log"; fail "A's own copy was not answered 409"; }
# The band across the top, as the game draws "Entered in the world table";
# a refusal's reason or "Not sent yet" would stand there instead. A draws it
# once it has read the answer, which a busy machine may take a while to let
# it do.
band() { convert "$1" -crop 512x32+64+2 +repage "$2"; }
band "$src/tests/e2e/golden/world_entered_english.png" "$work/expected.png"
entered_shown() {
  import -window root "$shots/shared-entered.png" &&
    band "$shots/shared-entered.png" "$work/shown.png" || return 1
  differing="$(compare -metric AE -fuzz 5% "$work/shown.png" "$work/expected.png" null: 2>&1 || true)"
  [ "$differing" = 0 ]
}
differing=""
wait_for 10 entered_shown ||
  fail "A's band is not the entered one ($differing pixels differ): $(cat "$work/a.err")"
if grep -q 'refused' "$work/a.err"; then fail "A says its result was refused: $(cat "$work/a.err")"; fi
wait_for 10 bash -c "! test -e '$data/world-pending.txt'" || fail "the entered result is still kept"
press "$win" Return
sleep 0.5
quit_from_title "$game" "$win"
game=""
echo "shared-folder run passed: A's result, sent again by B, shows as entered on A's screen"
