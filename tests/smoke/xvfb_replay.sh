#!/usr/bin/env bash
# Two games played on a real X server through the SDL host, then shown again
# with --replay: an advanced game with fast drops and a pause, played to its
# end, and a beginner game left with ESC while paused. Each replay must end
# with the recorded score and removed count, and the second on the very frame
# the player left; each closes by itself a moment after its last frame.
# Usage: xvfb_replay.sh SOURCE_DIR BUILD_DIR [SCREENSHOT_DIR]
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
xvfb_start 640x480 "$0" "$@"
export XDG_DATA_HOME="$work/data"
export SDL_AUDIODRIVER=dummy
data="$XDG_DATA_HOME/morvex2"

drop() {  # drop WINDOW KEYS...: steer the piece, then hold DOWN until it lands
  local win="$1"; shift
  for key in "$@"; do press "$win" "$key"; done
  xdotool keydown Down; sleep 0.3; xdotool keyup Down
}

(cd / && exec "$build/morvex2") &
game=$!
win="$(title_window "$game")"

# Advanced: piece after piece turned and dropped in the middle until the top.
press "$win" Down
press "$win" Return
sleep 0.3
press "$win" Return
sleep 0.6
drop "$win" Left Up
press "$win" Return; sleep 0.5; press "$win" Return  # a pause
for _ in $(seq 40); do
  [ -e "$data/last.mvr" ] && break
  sleep 0.4
  drop "$win" Up
done
wait_for 20 test -e "$data/last.mvr" || { echo "the advanced game did not end"; kill "$game"; exit 1; }
cp "$data/last.mvr" "$work/advanced.mvr"

# The ranking screen, the title, then beginner: a few pieces, paused, left.
press "$win" Return
sleep 0.3
press "$win" Up
press "$win" Up
press "$win" Return
sleep 0.3
press "$win" Return
for keys in "Left Left" "Right Up" "space"; do
  sleep 2.2
  drop "$win" $keys
done
sleep 1
press "$win" Return
sleep 0.5
import -window root "$shots/live-end.png"
mtime="$(stat -c %Y.%N "$data/last.mvr")"
press "$win" Escape
wait_for 10 bash -c "[ \"\$(stat -c %Y.%N '$data/last.mvr')\" != '$mtime' ]" ||
  { echo "the beginner game was not kept"; kill "$game"; exit 1; }
cp "$data/last.mvr" "$work/beginner.mvr"
sleep 0.3
quit_from_title "$game" "$win"

# Shown again, at double speed: each must say it came out the same.
replay() {  # replay NAME: shows $work/NAME.mvr to its end, screenshot NAME-end.png
  local out="$work/$1.out"
  (cd / && exec "$build/morvex2" --replay "$work/$1.mvr" > "$out") &
  local player=$!
  wait_for 30 window_shown || { echo "no replay window"; kill "$player"; return 1; }
  press "$(window_shown | head -n1)" space  # double speed
  if ! wait_for 120 grep -q '^replay ' "$out"; then
    echo "the $1 replay did not end"; kill "$player"; return 1
  fi
  local ended
  ended="$(date +%s%3N)"
  sleep 0.5
  import -window root "$shots/$1-end.png"
  # No ESC: the last frame stays up a moment, then the replay closes by itself.
  if ! wait_for 6 bash -c "! kill -0 $player"; then
    echo "the $1 replay did not close by itself"; kill "$player"; return 1
  fi
  local status=0
  wait "$player" || status=$?
  cat "$out"
  local shown=$(( $(date +%s%3N) - ended ))
  echo "the last frame of the $1 replay stayed up for about $shown ms"
  [ "$shown" -ge 1500 ] || { echo "the $1 replay closed too soon"; return 1; }
  grep -q '^replay reproduced: ' "$out" && [ "$status" -eq 0 ]
}
replay advanced
replay beginner
grep -q 'level 0, .*game over' "$work/advanced.out"
grep -q 'level 2, .*left with ESC' "$work/beginner.out"
[ "$(compare -metric AE "$shots/live-end.png" "$shots/beginner-end.png" null: 2>&1)" = 0 ] ||
  { echo "the replay ended on another frame than the game"; exit 1; }
for file in zyou.pod tyuu.pod syo.pod; do [ -s "$data/$file" ]; done
echo "replay run passed; screenshots in $shots"
