#!/usr/bin/env bash
# A machine that hosts the world tables needs no SDL: the server draws nothing
# and plays no sound. Fails when the server program, or any library it loads,
# is SDL, and says which.
# Usage: needs_no_sdl.sh SERVER_PROGRAM
set -euo pipefail
server="$1"
needed="$(readelf -d "$server" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')"
if grep -i 'libSDL' <<<"$needed"; then
  echo "morvex2-server needs SDL itself; it needs: $(tr '\n' ' ' <<<"$needed")"
  exit 1
fi
if ldd "$server" | grep -i 'libSDL'; then
  echo "a library morvex2-server loads needs SDL"
  exit 1
fi
echo "morvex2-server loads no SDL: $(tr '\n' ' ' <<<"$needed")"
