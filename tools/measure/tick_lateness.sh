#!/usr/bin/env bash
# How late the real game's timer ticks come, measured from whole games: GAMES
# advanced games are played with xdotool in the real window (on Linux, or the
# Windows build under Wine), each game's replay is kept in OUT_DIR, and
# morvex2-sim prints where each game's ticks stood against their timer's
# rhythm (the latest tick, and any that came early). The world tables'
# server holds every ranked game to the latest measured here, with room.
# Usage: tick_lateness.sh linux|wine GAMES OUT_DIR
#   (needs scripts/build.sh release morvex2 morvex2-sim, and for wine
#   scripts/build.sh windows morvex2)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
if [ -z "${DISPLAY:-}" ]; then
  exec "$root/scripts/virtual-screen.sh" 640x480 "$root/tools/measure/tick_lateness.sh" "$@"
fi
target="$1" games="$2" out="$3"
. "$root/tests/smoke/xvfb_lib.sh"
work="$(mktemp -d)"
shots="$work"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
export SDL_AUDIODRIVER=dummy
for n in $(seq "$games"); do
  data="$work/data-$n"
  mkdir -p "$data"
  case "$target" in
    linux) (cd / && exec env XDG_DATA_HOME="$data" XDG_CONFIG_HOME="$work/config" \
              "$root/build/release/morvex2" --window 2>/dev/null) & game=$!
           kept="$data/morvex2" ;;
    wine) (cd / && exec "$root/scripts/wine.sh" "$root/build/windows/morvex2.exe" --window \
             --data-dir "$data" 2>/dev/null) & game=$!
          kept="$data" ;;
    *) echo "usage: $0 linux|wine GAMES OUT_DIR" >&2; exit 2 ;;
  esac
  win="$(title_window "$game")"
  play_spread "$win" "$kept" || { kill "$game"; echo "game $n did not end" >&2; continue; }
  kill "$game" 2>/dev/null || true
  wait "$game" 2>/dev/null || true
  cp "$kept/last.mvr" "$out/$target-$n.mvr"
  echo "$target-$n $("$root/build/release/tools/morvex2-sim" timing < "$out/$target-$n.mvr")"
done
