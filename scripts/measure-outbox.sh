#!/usr/bin/env bash
# Times the launch to the title's first frame with a large file of kept world
# results in the data folder, under a virtual X server: the file of 2,000
# expired results, the file of 16 MiB of live results for a server that is
# down, and none. Each figure is the median of RUNS launches.
#
# Usage: scripts/measure-outbox.sh [GAME]   (default build/release/morvex2)
#   RUNS=5   launches for each file
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/release"
game="${1:-$build/morvex2}"
runs="${RUNS:-5}"
cmake --build "$build" --target morvex2_first_frame morvex2-launch-stamp >/dev/null
shim="$build/tools/libmorvex2_first_frame.so"
stamp="$build/tools/morvex2-launch-stamp"
source "$root/scripts/virtual-screen.sh"
work="$(mktemp -d)"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; stop_virtual_screen; rm -rf "$work"' EXIT
start_virtual_screen 640x480
export SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$build/measure-cache"

# LINES lines of EXPIRES, each with a body of BYTES.
outbox() {
  python3 - "$1" "$2" "$3" "$4" <<'PY'
import sys
out, lines, expires, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
body = '{"name":"A","replay":"' + 'A' * size + '"}'
with open(out, 'w') as f:
    f.write('# kept\n')
    for i in range(lines):
        f.write('%032x\t%d\thttp://127.0.0.1:9\t%s\n' % (i + 1, expires, body))
PY
}
outbox "$work/expired" 2000 1000 2000
outbox "$work/large" 2000 4102444800 8300   # just under 16 MiB, every ticket live

launch_ms() {
  rm -rf "$work/data" "$work/launch" "$work/frame"
  mkdir -p "$work/data/morvex2"
  [ -z "$1" ] || cp "$1" "$work/data/morvex2/world-pending.txt"
  XDG_DATA_HOME="$work/data" MORVEX2_FIRST_FRAME_FILE="$work/frame" LD_PRELOAD="$shim" \
    "$stamp" "$work/launch" "$game" --window --server http://127.0.0.1:9 >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 2400); do [ -s "$work/frame" ] && break; sleep 0.05; done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
  if [ -s "$work/frame" ]; then
    awk -v a="$(cat "$work/launch")" -v b="$(cat "$work/frame")" 'BEGIN { printf "%.2f\n", (b - a) / 1e6 }'
  else
    echo "none-in-120s"
  fi
}
for kind in none expired large; do
  file=""
  [ "$kind" = none ] || file="$work/$kind"
  figures=()
  for _ in $(seq "$runs"); do figures+=("$(launch_ms "$file")"); done
  median="$(printf '%s\n' "${figures[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")"
  printf '%-8s launch to title: median %s ms (%s)\n' "$kind" "$median" "${figures[*]}"
done
