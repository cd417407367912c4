#!/usr/bin/env bash
# Measures the Windows build under Wine and a virtual X server at 1024 x 768,
# beside what scripts/measure.sh gives for the Linux build: the time from
# launch to the first frame (the screen's pixel at 512,100 no longer black,
# looked at every 20 ms), the CPU share of the game's process and wineserver
# over a window on the title screen, and the game process's peak resident
# memory. The Wine server is started first, as it runs on a player's machine.
# Usage: scripts/measure-wine.sh [SECONDS]   (default 20; build/windows built)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-20}"
source "$root/scripts/virtual-screen.sh"
for tool in Xvfb xdotool import bc; do
  command -v "$tool" >/dev/null || { echo "needs $tool (scripts/install-deps.sh)" >&2; exit 2; }
done
work="$(mktemp -d)"
game=""
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null || true
  stop_virtual_screen
  rm -rf "$work"
}
trap cleanup EXIT
start_virtual_screen 1024x768
"$root/scripts/wine.sh" cmd /c exit >/dev/null 2>&1 || true

start="$(date +%s.%N)"
(cd "$work" && exec "$root/scripts/wine.sh" "$root/build/windows/morvex2.exe" >/dev/null 2>&1) &
game=$!
pixel=""
for _ in $(seq 500); do
  pixel="$(import -window root -crop 1x1+512+100 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n1 || true)"
  [ -n "$pixel" ] && [ "$pixel" != "#000000" ] && break
  sleep 0.02
done
end="$(date +%s.%N)"
printf 'launch to first frame        %.3f s\n' "$(echo "$end - $start" | bc)"

# utime + stime, in clock ticks, of the game and the Wine server: one line,
# "PID TICKS", for each of their processes.
ticks() {
  local pid fields
  for pid in $(pgrep -f 'morvex2.exe|wineserver'); do
    fields="$(cut -d')' -f2- "/proc/$pid/stat" 2>/dev/null)" || continue
    # shellcheck disable=SC2086
    set -- $fields
    echo "$pid $((${12} + ${13}))"
  done
}
sleep 2
ticks >"$work/before"
sleep "$seconds"
ticks >"$work/after"
# What each process took in the window: a process that ended in it (a start-up
# helper of Wine's) counts for nothing, not for minus what it had taken before.
used="$(awk 'NR == FNR { before[$1] = $2; next } { used += $2 - before[$1] } END { print used + 0 }' \
  "$work/before" "$work/after")"
printf 'CPU, title screen, %s s     %s %%\n' "$seconds" \
  "$(echo "scale=2; $used * 100 / $(getconf CLK_TCK) / $seconds" | bc)"
peak="$(for pid in $(pgrep -f 'morvex2.exe'); do awk '/VmHWM/ { print $2 }' "/proc/$pid/status"; done | sort -n | tail -n1)"
printf 'peak resident (VmHWM)        %.1f MB\n' "$(echo "${peak:-0} * 1024 / 1000000" | bc -l)"
xdotool key Escape
