#!/usr/bin/env bash
# Measures the game beside two falling-piece games Debian packages (ltris and
# cuyo, installed here from Debian's packages when missing) in one run, each
# the same way: a virtual X server of its own (1024 x 768 unless PEERS_SCREEN
# says otherwise), SDL's dummy sound driver, a home, data and settings folder
# of its own, after one launch of each that is not measured (the disk's
# cache, the game's cache of decoded tunes), which sets that folder up: the
# launches measured are a player's every start, not the first
# (PEERS_FIRST_START=1 measures first starts, each with a fresh folder, as
# scripts/measure.sh does). For each program it gives the median of three
# launches, the programs taken in turn, of
#   first content  the time from launch to the first pixel on the screen that
#                  is not black (tools/measure/first_content.cpp), the same
#                  watcher for every program, and the time the program spent
#                  on a processor until then, which a busy machine hardly
#                  lengthens;
#   peak memory    the process's peak resident memory (VmHWM) at the end of
#                  the title window, in 10^6 bytes;
#   title CPU      the share of one core the process used over the window on
#                  its first screen, all its threads: from the clock's ticks
#                  (what the goals were set against) and from the scheduler's
#                  nanoseconds, which do not move in the ticks' steps.
# The load average is printed with the figures: the machine may be shared.
# scripts/measure.sh measures the game alone further (a running game, other
# screen sizes, its own first frame).
#
# Usage: scripts/measure-peers.sh [BUILD_DIR]   (default build/release, built here)
#   PEERS_SECONDS=20   length of the title window
#   PEERS_SCREEN=WxH   the virtual screen's size (default 1024x768; e.g.
#                      640x480, 1920x1080)
#   PEERS_RUNS=3       launches of each program measured
#   PEERS_ALSO="NAME=COMMAND ..."  further programs measured beside them, e.g.
#                      an older build of the game: "before=/tmp/old/morvex2"
#   PEERS_SPLIT=N      also print, for each program, the N files (libraries)
#                      that hold most of its resident memory at the end of its
#                      last launch
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/release}"
seconds="${PEERS_SECONDS:-20}"
runs="${PEERS_RUNS:-3}"
screen="${PEERS_SCREEN:-1024x768}"

"$root/scripts/install-deps.sh" peers >&2
source "$root/scripts/virtual-screen.sh"
source "$root/scripts/process-figures.sh"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "$(nproc)" \
  --target morvex2 morvex2-launch-stamp morvex2-first-content >/dev/null
build="$(cd "$build" && pwd)"
stamp="$build/tools/morvex2-launch-stamp"
watch="$build/tools/morvex2-first-content"

names=(ltris cuyo morvex2)
commands=(/usr/games/ltris /usr/games/cuyo "$build/morvex2")
for also in ${PEERS_ALSO:-}; do
  names+=("${also%%=*}")
  commands+=("${also#*=}")
done

work="$(mktemp -d)"
program=""
cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null || true
  stop_virtual_screen
  rm -rf "$work"
}
trap cleanup EXIT
start_virtual_screen "$screen"
while read -r name; do unset "$name"; done < <(env | sed -n 's/^\(SDL_[A-Za-z0-9_]*\)=.*/\1/p')
export SDL_AUDIODRIVER=dummy
# The game's decoded tunes are kept between launches, as a player's are.
cache="$build/measure-cache"

# The program's resident memory now, by the file mapped (a library, the
# program) or the kind of anonymous memory, in KiB, largest first.
resident_by_file() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / { name = $6; if (name == "") name = "[anonymous]"; next }
       /^Rss:/ { rss[name] += $2 }
       END { for (n in rss) printf "%7d %s\n", rss[n], n }' "/proc/$program/smaps" | sort -rn
}

# measure NAME COMMAND OUT: one launch; OUT gets "first_s peak_mb cpu_percent
# cpu_to_first_s cpu_percent_from_the_scheduler", and OUT.split where its
# memory is.
measure() {
  local name="$1" command="$2" out="$3" run="$work/run" home="$work/home-$1"
  rm -rf "$run" && mkdir -p "$run"
  if [ "${PEERS_FIRST_START:-}" = 1 ]; then rm -rf "$home"; fi
  mkdir -p "$home"
  "$watch" "$run/ready" "$run/content" 10 &
  local watcher=$!
  for _ in $(seq 200); do [ -s "$run/ready" ] && break; sleep 0.01; done
  [ -s "$run/ready" ] || { echo "$name: the screen is not black before it starts" >&2; return 1; }
  (cd "$home" && HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
     XDG_CACHE_HOME="$cache" exec "$stamp" "$run/launch" $command >"$run/log" 2>&1) &
  program=$!
  if ! wait "$watcher"; then
    echo "$name: nothing showed within 10 s" >&2
    cat "$run/log" >&2
    return 1
  fi
  # The time it spent on a processor until then: unlike the time on the
  # clock, hardly lengthened by a busy machine.
  local busy
  busy="$(cpu_ns "$program")"
  # The launch stamp is the program: its process id is the program's.
  sleep 1
  local share ns hwm
  read -r share ns _ < <(cpu_window "$program" "$seconds")
  hwm="$(awk '/^VmHWM:/ { print $2 }' "/proc/$program/status")"
  resident_by_file >"$out.split"
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  program=""
  # Back to a black screen before the next program is watched.
  sleep 0.5
  awk -v a="$(cat "$run/launch")" -v b="$(cat "$run/content")" -v k="$hwm" \
      -v share="$share" -v busy="$busy" -v ns="$ns" \
    'BEGIN { printf "%.3f %.1f %s %.3f %s\n", (b - a) / 1e9, k * 1024 / 1e6, share, busy / 1e9, ns }' >"$out"
}

# The launch not measured, then the measured ones, each round in another order.
for i in "${!names[@]}"; do
  PEERS_SECONDS=1 seconds=1 measure "${names[$i]}" "${commands[$i]}" "$work/warm" ||
    { echo "${names[$i]} could not be measured" >&2; exit 1; }
done
loads=()
count="${#names[@]}"
for round in $(seq "$runs"); do
  for step in $(seq 0 $((count - 1))); do
    i=$(( (step + round - 1) % count ))
    measure "${names[$i]}" "${commands[$i]}" "$work/${names[$i]}.$round"
  done
  loads+=("$(cut -d' ' -f1 /proc/loadavg)")
done

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
figure() {  # figure NAME COLUMN: the median over the runs
  for round in $(seq "$runs"); do cut -d' ' -f"$2" "$work/$1.$round"; done | median
}
echo "Side by side: Xvfb ${screen/x/ x }, SDL's dummy sound, medians of $runs launches" \
  "(title window $seconds s; load average after each round: ${loads[*]})"
printf '%-16s' "" && printf '%12s' "${names[@]}" && echo
for column in 1 4 2 3 5; do
  case "$column" in
    1) printf '%-16s' "first content s" ;;
    4) printf '%-16s' " its CPU time s" ;;
    2) printf '%-16s' "peak memory MB" ;;
    3) printf '%-16s' "title CPU %" ;;
    5) printf '%-16s' " scheduler's %" ;;
  esac
  for name in "${names[@]}"; do printf '%12s' "$(figure "$name" "$column")"; done
  echo
done
echo "each launch (first content s, peak memory MB, title CPU %, CPU time to first content s," \
  "title CPU % from the scheduler):"
for name in "${names[@]}"; do
  printf '  %-10s' "$name"
  for round in $(seq "$runs"); do printf ' [%s]' "$(cat "$work/$name.$round")"; done
  echo
done
if [ "${PEERS_SPLIT:-0}" -gt 0 ]; then
  for name in "${names[@]}"; do
    echo "$name: resident memory by file at the end of its last launch, KiB (of $(
      awk '{ s += $1 } END { print s }' "$work/$name.$runs.split"))"
    head -n "$PEERS_SPLIT" "$work/$name.$runs.split" | sed 's/^/  /'
  done
fi
