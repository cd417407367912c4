#!/usr/bin/env bash
# The layers check on small planted trees: each case writes a few files beside
# a short docs/layers.txt and says whether the check must pass, and what its
# message must say when it fails.
# Usage: layers_check_test.sh SOURCE_DIR
set -euo pipefail
check="$1/tests/lint/layers_check.sh"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

layers='platform/base:
platform/win32: platform/base
platform/sdl: platform/base platform/win32
display: platform/base platform/win32
app: platform/base platform/win32 platform/sdl display
tools: platform/base platform/win32'

# plant CASE FILE=TEXT...: a fresh tree with the files given; `\n` in TEXT
# separates lines.
plant() {
  local tree="$scratch/$1"
  shift
  mkdir -p "$tree/docs"
  printf '%s\n' "$layers" >"$tree/docs/layers.txt"
  local planted
  for planted in "$@"; do
    mkdir -p "$tree/$(dirname "${planted%%=*}")"
    printf '%b\n' "${planted#*=}" >"$tree/${planted%%=*}"
  done
  echo "$tree"
}

failed=0
# expect NAME PASS|FAIL MESSAGE FILE=TEXT...: MESSAGE is a part of what a
# failing check says (empty for a passing case).
expect() {
  local name="$1" want="$2" message="$3"
  shift 3
  local tree said got=PASS
  tree="$(plant "$name" "$@")"
  said="$("$check" "$tree" 2>&1)" || got=FAIL
  if [ "$got" != "$want" ] || [[ "$said" != *"$message"* ]]; then
    printf '%s: wanted %s with "%s", got %s:\n%s\n' "$name" "$want" "$message" "$got" "$said" >&2
    failed=1
  fi
}

sdl='#include <SDL.h>'
expect clean PASS "" \
  'display/draw.cpp=#include "platform/win32/face.h"' \
  'platform/win32/face.h=#pragma once' \
  'platform/sdl/host.h=#pragma once\n#include "platform/win32/face.h"' \
  "platform/sdl/host.cpp=#include \"platform/sdl/host.h\"\n$sdl"
expect game-file-through-two-headers FAIL \
  'display/draw.cpp:1: display/draw.cpp -> platform/sdl/face.h -> platform/sdl/inner.h -> <SDL.h> -- display/ sees nothing of SDL' \
  'display/draw.cpp=#include "platform/sdl/face.h"' \
  'platform/sdl/face.h=#pragma once\n#include "platform/sdl/inner.h"' \
  "platform/sdl/inner.h=$sdl"
expect host-header-the-game-never-includes PASS "" \
  'display/draw.cpp=#include "platform/win32/face.h"' \
  'platform/win32/face.h=#pragma once' \
  'platform/sdl/pixels.h=#pragma once\n#include <SDL_mixer.h>'
expect the-win32-face-reaches-sdl FAIL \
  'platform/win32/face.cpp:2: platform/win32/face.cpp -> platform/win32/planted.h -> <SDL_mixer.h> -- platform/win32/ sees nothing of SDL' \
  'platform/win32/face.cpp=#include "platform/win32/face.h"\n#include "platform/win32/planted.h"' \
  'platform/win32/face.h=#pragma once' \
  'platform/win32/planted.h=#pragma once\n#include <SDL_mixer.h>'
expect host-and-app-may-see-sdl PASS "" \
  "platform/sdl/host.h=$sdl" \
  'app/main.cpp=#include "platform/sdl/host.h"'
expect the-measuring-preload-may-see-sdl PASS "" \
  "tools/measure/first_frame.cpp=$sdl"
expect a-tool-beside-the-preload-reaches-sdl FAIL \
  'tools/sim/main.cpp:1: tools/sim/main.cpp -> <SDL.h> -- tools/ sees nothing of SDL' \
  "tools/sim/main.cpp=$sdl"
expect game-file-includes-the-host FAIL \
  'display/draw.cpp:1: #include "platform/sdl/host.h" -- display/ may not include from platform/sdl/' \
  'display/draw.cpp=#include "platform/sdl/host.h"' \
  'platform/sdl/host.h=#pragma once'
exit "$failed"
