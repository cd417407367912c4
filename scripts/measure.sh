#!/usr/bin/env bash
# Measures the real game under a virtual X server (a 640 x 480 screen unless
# MEASURE_SCREEN says otherwise) and
# prints four figures beside their goals: the CPU share of the game process
# over 20 s on the title screen and over 20 s in a running game, the time
# from launch to the first frame shown, and the peak resident memory. Each
# CPU share is also given from the scheduler's nanoseconds, which do not move
# in the clock's 0.05 % steps, with its split by thread and each thread's
# wake-ups a second.
#
# The game plays its music as it does for a player, with a sound device: the
# machine's own when it has a sound card or a sound server, else SDL's dummy
# driver, which asks for sound exactly as a sound card does. The game's tunes
# are played as a player hears them from the second launch on: from the
# cache kept in the build folder, where the first launch decodes the
# renderings the build made beside it into plain samples (a game without
# them, MEASURE_COMMAND, renders them there). That first launch is not
# measured: it plays the compressed renderings and decodes them beside the
# title, which costs the title about as much again. MEASURE_FIRST_RUN=1
# measures a first launch instead, with an empty cache (and, as every launch
# here, a fresh data folder and settings).
#
# Usage: scripts/measure.sh [BUILD_DIR]   (default build/release, built here)
#   MEASURE_SECONDS=20   length of each CPU window
#   MEASURE_SCREEN=WxH   the virtual screen's size (e.g. 1280x800, 1920x1080)
#   MEASURE_AUDIO=DRIVER SDL audio driver to force: e.g. dummy; "none" for no
#                        sound device at all (the music library stays silent).
#   MEASURE_FIRST_RUN=1  measure the launch that renders the tunes.
#   MEASURE_SHOTS=DIR    also saves the screen at the end of each window there
#                        (needs ImageMagick's import).
#   MEASURE_TOOLS=DIR    a build of this tree to take the measuring tools from,
#                        so that an older build of the game can be measured.
#   MEASURE_COMMAND=CMD  how the game is started (default: BUILD_DIR/morvex2;
#                        e.g. "$PWD/play.sh" or an installed morvex2). It must
#                        become the game in the same process (exec).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/release}"
seconds="${MEASURE_SECONDS:-20}"
screen="${MEASURE_SCREEN:-640x480}"

source "$root/scripts/virtual-screen.sh"
source "$root/scripts/process-figures.sh"
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "needs $tool (scripts/install-deps.sh)" >&2; exit 2; }
done

# --- build what is measured, as scripts/build.sh would configure it.
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
else
  cmake "$build" >/dev/null  # picks up targets added since it was configured
fi
tools="${MEASURE_TOOLS:-$build}"
cmake --build "$build" -j "$(nproc)" --target morvex2 >/dev/null
cmake --build "$tools" -j "$(nproc)" --target morvex2_first_frame morvex2-launch-stamp >/dev/null
build="$(cd "$build" && pwd)"
shim="$(cd "$tools" && pwd)/tools/libmorvex2_first_frame.so"
stamp="$(cd "$tools" && pwd)/tools/morvex2-launch-stamp"

work="$(mktemp -d)"
game=""
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null || true
  stop_virtual_screen
  rm -rf "$work"
}
trap cleanup EXIT

# --- a virtual X server of its own, on the first free display.
start_virtual_screen "$screen"

# --- the game as a player starts it, in a fresh working folder; only the
# preload and its file name are added. Nothing of SDL's is overridden.
while read -r name; do unset "$name"; done < <(env | sed -n 's/^\(SDL_[A-Za-z0-9_]*\)=.*/\1/p')
has_sound_card() {
  compgen -G '/dev/snd/pcmC*p' >/dev/null ||
    [ -S "${XDG_RUNTIME_DIR:-/nonexistent}/pulse/native" ] ||
    [ -S "${XDG_RUNTIME_DIR:-/nonexistent}/pipewire-0" ]
}
case "${MEASURE_AUDIO:-}" in
  "") if has_sound_card; then
        sound="the machine's sound device (SDL's choice)"
      else
        export SDL_AUDIODRIVER=dummy
        sound="SDL's dummy driver (no sound card here)"
      fi ;;
  none) export SDL_AUDIODRIVER=none  # no driver of that name: no sound device
        sound="none (no sound device)"
        rendered="not played" ;;
  *) export SDL_AUDIODRIVER="$MEASURE_AUDIO"
     sound="SDL's $MEASURE_AUDIO driver" ;;
esac
export XDG_DATA_HOME="$work/data"
export XDG_CONFIG_HOME="$work/config"  # the default screen settings, whatever the user's
export XDG_CACHE_HOME="$build/measure-cache"
# The renderings made by the build, beside the game measured.
shipped=0
[ -z "${MEASURE_COMMAND:-}" ] &&
  shipped="$(find "$build/share/morvex2" -maxdepth 1 -name '*.tune' 2>/dev/null | wc -l)"
if [ "$shipped" -ge 2 ]; then
  rendered="${rendered:-rendered by the build}"
else
  rendered="${rendered:-already in the cache}"
fi
if [ "${MEASURE_FIRST_RUN:-}" = 1 ]; then
  rm -rf "$XDG_CACHE_HOME"
  [ "$shipped" -ge 2 ] || rendered="rendered during this launch"
  rendered="$rendered; first launch, empty cache"
elif [ "${MEASURE_AUDIO:-}" != none ] &&
     [ "$(find "$XDG_CACHE_HOME/morvex2" -name '*.tune' 2>/dev/null | wc -l)" -lt 2 ]; then
  # The launch that renders or decodes the tunes into the cache, once, not measured.
  ${MEASURE_COMMAND:-"$build/morvex2"} >"$work/first.log" 2>&1 &
  game=$!
  for _ in $(seq 600); do
    [ "$(find "$XDG_CACHE_HOME/morvex2" -name '*.tune' 2>/dev/null | wc -l)" -ge 2 ] && break
    sleep 0.1
  done
  kill "$game" 2>/dev/null || true
  wait "$game" 2>/dev/null || true
  game=""
  if [ "$shipped" -ge 2 ]; then
    rendered="rendered by the build, decoded by a first launch, not measured"
  else
    rendered="rendered by a first launch, not measured"
  fi
fi
MORVEX2_FIRST_FRAME_FILE="$work/first-frame" LD_PRELOAD="$shim" \
  "$stamp" "$work/launch" ${MEASURE_COMMAND:-"$build/morvex2"} >"$work/game.log" 2>&1 &
game=$!

shot() {
  [ -n "${MEASURE_SHOTS:-}" ] || return 0
  mkdir -p "$MEASURE_SHOTS" && import -window root "$MEASURE_SHOTS/$1.png"
}
alive() { kill -0 "$game" 2>/dev/null || { echo "the game ended early:" >&2; cat "$work/game.log" >&2; exit 1; }; }

for _ in $(seq 200); do [ -s "$work/first-frame" ] && break; alive; sleep 0.05; done
[ -s "$work/first-frame" ] || { echo "no frame was shown within 10 s" >&2; exit 1; }
first_ms="$(awk -v a="$(cat "$work/launch")" -v b="$(cat "$work/first-frame")" \
  'BEGIN { printf "%.3f", (b - a) / 1e9 }')"

sleep 1  # start-up work that follows the first frame is not the title screen's
alive
read -r title_cpu title_ns title_threads < <(cpu_window "$game" "$seconds")
shot title

# RETURN starts a game at the highlighted (middle) level, paused; RETURN again
# lets it run.
win="$(xdotool search --name '^Morvex2$' | head -n1)"
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key --window "$win" Return
sleep 0.5
xdotool key --window "$win" Return
sleep 1
alive
read -r game_cpu game_ns game_threads < <(cpu_window "$game" "$seconds")
shot game

alive
hwm_kb="$(awk '/^VmHWM:/ { print $2 }' "/proc/$game/status")"
threads="$(awk '/^Threads:/ { print $2 }' "/proc/$game/status")"
gl="$(grep -cE 'libGL|libLLVM|_dri\.so' "/proc/$game/maps" || true)"
libraries="$(awk '$6 ~ /\.so/ { print $6 }' "/proc/$game/maps" | sort -u | wc -l)"

# ESC leaves the game, ESC on the title screen ends the program.
xdotool key --window "$win" Escape
sleep 0.5
xdotool key --window "$win" Escape
for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.05; done
status=0
wait "$game" || status=$?
game=""

printf '%-34s %10s   %s\n' "figure" "measured" "goal"
printf '%-34s %9s%%   <= 0.4 %%\n' "CPU, title screen, ${seconds} s" "$title_cpu"
printf '%-34s %9s%%   <= 0.3 %%\n' "CPU, running game, ${seconds} s" "$game_cpu"
printf '%-34s %9s%%   (%s)\n' "  the same, scheduler's count: title" "$title_ns" \
  "$(tr ',' ' ' <<<"$title_threads")"
printf '%-34s %9s%%   (%s)\n' "  game" "$game_ns" "$(tr ',' ' ' <<<"$game_threads")"
printf '%-34s %8s s   <= 0.10 s\n' "launch to first frame" "$first_ms"
# /proc counts in KiB; the goal is read as 10^6 bytes, the stricter reading.
printf '%-34s %8s MB   <= 18 MB   (%s KiB)\n' "peak resident (VmHWM)" \
  "$(awk -v k="$hwm_kb" 'BEGIN { printf "%.1f", k * 1024 / 1e6 }')" "$hwm_kb"
echo "(sound: $sound; tunes $rendered)"
echo "(threads at the end: $threads; libraries mapped: $libraries; GL mappings: $gl; exit status: $status; load average: $(cut -d' ' -f1-3 /proc/loadavg))"
