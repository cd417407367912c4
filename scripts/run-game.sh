#!/usr/bin/env bash
# Starts the built game in its working folder, setting the folder up on first
# run. Usage: scripts/run-game.sh BUILD_DIR
#
# The game reads its tunes, clap, score files and player name from its current
# directory, as it always has. That directory is $XDG_DATA_HOME/morvex2
# (~/.local/share/morvex2 by default). Score files and zel.ini that exist there
# are never overwritten: they hold the player's results and name.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
home="${XDG_DATA_HOME:-$HOME/.local/share}/morvex2"
mkdir -p "$home"

# Tunes and clap follow the installed version of the game.
for f in music1.mid music2.mid Clap.wav; do
  if [ -f "$root/data/$f" ] && ! cmp -s "$root/data/$f" "$home/$f"; then
    cp "$root/data/$f" "$home/$f.new" && mv "$home/$f.new" "$home/$f"
  fi
done

# Empty high-score tables, only where none exists yet.
for f in zyou.pod tyuu.pod syo.pod; do
  if [ ! -e "$home/$f" ] && [ -f "$root/data/$f" ]; then
    cp "$root/data/$f" "$home/$f"
  fi
done

# The player's name: the login name (at most 16 bytes), else the default.
if [ ! -e "$home/zel.ini" ]; then
  name="$(id -un 2>/dev/null || true)"
  # Only a plain ASCII name: the game shows the bytes as they stand.
  if [[ -n "$name" && "$name" =~ ^[[:print:]]+$ && "$name" != *[![:ascii:]]* ]]; then
    printf '%s' "$name" | head -c 16 > "$home/zel.ini"
    size=$(stat -c %s "$home/zel.ini")
    [ "$size" -lt 16 ] && head -c $((16 - size)) /dev/zero >> "$home/zel.ini"
  elif [ -f "$root/data/zel.ini" ]; then
    cp "$root/data/zel.ini" "$home/zel.ini"
  fi
fi

cd "$home"
exec "$build/morvex2"
