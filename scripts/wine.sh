#!/usr/bin/env bash
# Runs a Windows program under Wine, in a prefix of the project's own kept
# outside the tree ($MORVEX2_DEPS/wine-prefix, made once per machine), with
# Wine's own chatter off. The Windows build's tests run through this
# (CMAKE_CROSSCOMPILING_EMULATOR), as does any Windows program by hand:
#   scripts/wine.sh build/windows/morvex2.exe --window
# The program's exit status is this script's.
set -euo pipefail
source "$(dirname "$0")/deps/common.sh"
export WINEPREFIX="${WINEPREFIX:-$deps_root/wine-prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono and no Gecko: the game needs neither, and Wine would offer to
# download them.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/.made" ]; then
  mkdir -p "$WINEPREFIX"
  wine wineboot --init >/dev/null 2>&1
  wineserver --wait
  touch "$WINEPREFIX/.made"
fi
# One server for a run of many programs, gone 20 s after the last ends; a
# server already running is kept.
wineserver -p20 2>/dev/null || true
exec wine "$@"
