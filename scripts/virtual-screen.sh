#!/usr/bin/env bash
# The one way the tree starts a virtual X server (Xvfb) for the game, Wine or
# a test: on the first free display, with a screen of the size asked for.
#
# Run: scripts/virtual-screen.sh WxH COMMAND [ARG...]
#   runs COMMAND with DISPLAY set to a new virtual screen of WxH pixels, and
#   stops the server when COMMAND ends (its status is the script's).
# Sourced: start_virtual_screen WxH starts one and exports DISPLAY;
#   virtual_screen_pid is the server's process id, for the caller to end in
#   its own cleanup (stop_virtual_screen).

start_virtual_screen() {
  local size="$1" display_file
  command -v Xvfb >/dev/null || { echo "needs Xvfb (scripts/install-deps.sh)" >&2; return 2; }
  display_file="$(mktemp)"
  # The server writes its display's number to the descriptor once it takes
  # clients. -noreset: by default it starts over when its last client leaves,
  # and a program started in that moment finds no display at all.
  Xvfb -displayfd 5 -screen 0 "${size}x24" -nolisten tcp -noreset 5>"$display_file" 2>/dev/null &
  virtual_screen_pid=$!
  # Up to 20 s: a loaded machine starts it slowly.
  for _ in $(seq 400); do
    [ -s "$display_file" ] && break
    kill -0 "$virtual_screen_pid" 2>/dev/null || break
    sleep 0.05
  done
  if [ ! -s "$display_file" ]; then
    rm -f "$display_file"
    stop_virtual_screen
    echo "Xvfb did not start" >&2
    return 1
  fi
  DISPLAY=":$(head -n1 "$display_file")"
  export DISPLAY
  rm -f "$display_file"
}

stop_virtual_screen() {
  if [ -n "${virtual_screen_pid:-}" ]; then
    kill "$virtual_screen_pid" 2>/dev/null || true
    wait "$virtual_screen_pid" 2>/dev/null || true
    virtual_screen_pid=""
  fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  if [ "$#" -lt 2 ]; then
    echo "usage: $0 WxH COMMAND [ARG...]" >&2
    exit 2
  fi
  size="$1"
  shift
  child=""
  trap 'if [ -n "$child" ]; then kill "$child" 2>/dev/null || true; fi; stop_virtual_screen' EXIT
  # Stopped from outside (a test's time limit), the command and the server go too.
  trap 'exit 143' TERM
  trap 'exit 130' INT
  start_virtual_screen "$size"
  "$@" &
  child=$!
  status=0
  wait "$child" || status=$?
  child=""
  exit "$status"
fi
