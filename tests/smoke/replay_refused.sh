#!/usr/bin/env bash
# morvex2 --replay with a file that is not a whole replay of a known format:
# one line on standard error, status 2, and no window is ever opened.
# Usage: replay_refused.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src="$1"
build="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data"
unset DISPLAY WAYLAND_DISPLAY

good="$src/tests/replays/middle.mvr"
head -c 100 "$good" > "$work/truncated.mvr"
{ head -c 4 "$good"; printf '\x09\x00'; tail -c +7 "$good"; } > "$work/future.mvr"
{ head -c 50 "$good"; printf 'x'; tail -c +52 "$good"; } > "$work/damaged.mvr"
head -c 590 /dev/zero > "$work/zyou.pod"
truncate -s 20M "$work/oversized.mvr"
mkfifo "$work/fifo.mvr"
for file in truncated future damaged zyou.pod oversized fifo missing; do
  case "$file" in *.pod) path="$work/$file" ;; *) path="$work/$file.mvr" ;; esac
  status=0
  timeout 10 "$build/morvex2" --replay "$path" > "$work/out" 2> "$work/err" || status=$?
  [ "$status" -eq 2 ] || { echo "$file: status $status"; cat "$work/err"; exit 1; }
  [ "$(wc -l < "$work/err")" -eq 1 ] && grep -q "^morvex2: .*$path" "$work/err" ||
    { echo "$file: not one line naming the file"; cat "$work/err"; exit 1; }
  [ ! -s "$work/out" ] || { echo "$file: wrote to standard output"; exit 1; }
  cat "$work/err"
done
[ ! -e "$XDG_DATA_HOME" ] || { echo "a refused replay set up the data folder"; exit 1; }
echo "every bad replay refused"
