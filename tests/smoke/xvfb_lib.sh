# Shared by the tests that play the real window under Xvfb. Each sources it
# first and calls xvfb_start.

# xvfb_start SCREEN SCRIPT SOURCE_DIR BUILD_DIR [SCREENSHOT_DIR]: runs SCRIPT
# again under a virtual X server of its own (scripts/virtual-screen.sh),
# SCREEN (WxH) in size, when there is no display; then sets src, build, shots
# (made if needed) and work, a scratch folder removed at exit.
xvfb_start() {
  local screen="$1"; shift
  if [ -z "${DISPLAY:-}" ]; then
    exec "$(dirname "${BASH_SOURCE[0]}")/../../scripts/virtual-screen.sh" "$screen" "$@"
  fi
  src="$2"
  build="$3"
  shots="${4:-$(mktemp -d)}"
  mkdir -p "$shots"
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
}

# For a script that starts the game itself: the game's data and settings in
# the scratch folder, no sound device, and the game ($game) ended at exit.
game_in_scratch() {
  game=""
  trap 'if [ -n "$game" ]; then kill "$game" 2>/dev/null || true; fi; rm -rf "$work"' EXIT
  export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" SDL_AUDIODRIVER=dummy
}

fail() { echo "$*"; exit 1; }

# The libraries that the world tables' client (libcurl and the TLS libraries
# behind it) and the synthesiser of a player's own tunes (FluidSynth and what
# it brings) load, which the game with process id $1 has mapped.
feature_libraries() {
  grep -oE '/lib(curl|ssl|crypto|gnutls|fluidsynth|glib-2\.0|gobject-2\.0|instpatch-1\.0|jack|readline)\.so[^ ]*' \
    "/proc/$1/maps" | sort -u || true
}

wait_for() {  # wait_for SECONDS COMMAND...: poll until the command succeeds
  local limit=$(( $1 * 10 )); shift
  for _ in $(seq "$limit"); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}

window_shown() { xdotool search --onlyvisible --name '^Morvex2$'; }

screen_not_black() {  # screen_not_black NAME: saves $shots/NAME.png
  import -window root "$shots/$1.png" &&
    [ "$(convert "$shots/$1.png" -format '%[fx:mean>0.02]' info:)" = 1 ]
}

# Waits for the title screen of the game with process id $1, then gives the
# window the keyboard and prints its id.
title_window() {
  wait_for 30 window_shown || { echo "no window" >&2; kill "$1"; return 1; }
  wait_for 10 screen_not_black title || { echo "the title screen stays black" >&2; kill "$1"; return 1; }
  local win
  win="$(window_shown | head -n1)"
  xdotool windowfocus --sync "$win" 2>/dev/null || true
  echo "$win"
}

# A key typed into the game's window as a player types it (XTEST).
press() {
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  xdotool key "$2"
}

# ESC on the title screen; the game with process id $1 must end with status 0.
quit_from_title() {
  press "$2" Escape
  if ! wait_for 10 bash -c "! kill -0 $1"; then
    echo "the game did not end on ESC" >&2
    kill "$1"
    return 1
  fi
  local status=0
  wait "$1" || status=$?
  [ "$status" -eq 0 ] || { echo "exit status $status" >&2; return 1; }
}

# world_server PROGRAM: starts the world-table server PROGRAM on a free port
# of the loopback that it takes itself (no other program can take it first),
# its SQLite store in $work/server and its lines in $work/server.log; sets
# url, and server to its process id.
world_server() {
  url="http://127.0.0.1:0"
  world_program="$1"
  mkdir -p "$work/server"
  world_server_up
}

# The server gone, as a server that went down: every request finds no one.
world_server_down() {
  kill "$server"
  wait "$server" 2>/dev/null || true
  server=""
}

# The server back on its store and port (on its first start, the port it
# says it took).
world_server_up() {
  "$world_program" --data "$work/server" --listen "${url#http://}" >>"$work/server.log" 2>&1 &
  server=$!
  if [ "${url##*:}" = 0 ]; then
    wait_for 20 grep -q '^listening on 127\.0\.0\.1:[0-9]' "$work/server.log" ||
      { cat "$work/server.log"; fail "the server did not start"; }
    url="http://$(sed -n 's/^listening on \(127\.0\.0\.1:[0-9]*\)$/\1/p' "$work/server.log" | head -n 1)"
  fi
  wait_for 20 curl -sf "$url/healthz" || { cat "$work/server.log"; fail "the server did not start"; }
}

# How many stamps of KIND (start, progress, end) the server has taken since
# it last started.
stamps_taken() {
  curl -sf "$url/metrics" |
    sed -n "s|.*route=\"/api/v1/tickets/{id}/$1\",status=\"204\"} \([0-9]*\)\$|\1|p" |
    grep . || echo 0
}

# tickets_given SERVER_URL...: how many tickets the world-table servers at
# SERVER_URL... have given, all together, since they last started.
tickets_given() {
  local total=0 given server_url
  for server_url in "$@"; do
    given="$(curl -sf -m 5 "$server_url/metrics" |
      sed -n 's|.*route="/api/v1/tickets",status="201"} \([0-9]*\)$|\1|p')"
    total=$((total + ${given:-0}))
  done
  echo "$total"
}

# tickets_at_least COUNT SERVER_URL...: the servers have given COUNT tickets
# or more. A game asks for one ticket for each level as its title screen
# starts, and a game started before its level's ticket came is not ranked:
# a test waits for them rather than for a moment that a busy machine outlasts.
tickets_at_least() {
  local count="$1"
  shift
  [ "$(tickets_given "$@")" -ge "$count" ]
}

# world_entry NAME REPLAY: prints the id of the entry of the world table that
# holds the game whose replay is the file REPLAY: under NAME, with the score
# and removed count of the replay's header, and its replay served byte for
# byte as the game wrote it; fails while there is none.
world_entry() {
  python3 - "$url" "$1" "$2" <<'PY'
import json, struct, sys, urllib.request
url, name, path = sys.argv[1:]
game = open(path, "rb").read()
score, removed = struct.unpack("<ii", game[12:20])
with urllib.request.urlopen(f"{url}/api/v1/tables/{game[6]}") as answer:
    entries = json.load(answer)["entries"]
for entry in entries:
    if (entry["name"], entry["score"], entry["removed"]) != (name, score, removed):
        continue
    with urllib.request.urlopen(f"{url}/api/v1/entries/{entry['entry']}/replay") as served:
        if served.read() == game:
            print(entry["entry"])
            sys.exit(0)
sys.exit(1)
PY
}

# play_spread WINDOW DATA_FOLDER: from the title screen, an advanced game
# played to its end (DATA_FOLDER/last.mvr written), each piece turned once,
# steered to the next column but two round the field's eight and held down
# until it lands. Spread over the field, the pieces' pins meet balloons of
# their colour now and then and the game scores, on most seeds. Sets pieces.
# play_middle_to_end WINDOW SHOT: the middle level from the title, every
# piece dropped upright in the middle till the stack reaches the top (a few
# pieces), for a game that keeps no replay to wait for; the high-score screen
# that follows is saved as $shots/SHOT.png.
play_middle_to_end() {
  press "$1" Return  # the play screen, middle level
  sleep 0.5
  press "$1" Return  # the game starts
  sleep 0.6
  for _ in $(seq 14); do
    press "$1" Up
    xdotool keydown Down; sleep 0.3; xdotool keyup Down
    sleep 0.4
  done
  sleep 1
  import -window root "$shots/$2.png"
}

play_spread() {
  press "$1" Down
  press "$1" Return
  sleep 0.5
  press "$1" Return
  sleep 0.6
  pieces=0
  local shift key
  for _ in $(seq 120); do
    [ -e "$2/last.mvr" ] && break
    sleep 0.4
    shift=$((pieces * 3 % 8 - 3))
    key=Right
    [ "$shift" -ge 0 ] || { key=Left; shift=$((-shift)); }
    pieces=$((pieces + 1))
    press "$1" Up
    for _ in $(seq "$shift"); do press "$1" "$key"; done
    xdotool keydown Down; sleep 0.3; xdotool keyup Down
  done
  wait_for 20 test -e "$2/last.mvr"
}
