#!/usr/bin/env bash
# Sets up what the game needs, builds the game alone and starts it. Options
# are passed on to the game (morvex2 --help lists them).
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/install-deps.sh" game
"$root/scripts/build.sh" game morvex2 >/dev/null
exec "$root/build/game/morvex2" "$@"
