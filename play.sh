#!/usr/bin/env bash
# Sets everything up and starts the game.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" release
exec "$root/scripts/run-game.sh" "$root/build/release"
