#!/usr/bin/env bash
# Installs the Debian packages the game needs to build, run and be tested.
# Nothing is downloaded from anywhere else. Runs apt-get update only when a
# package is missing, and sudo only when not root.
set -euo pipefail

packages=(
  # build
  g++ cmake pkg-config ccache libsdl2-dev libsdl2-mixer-dev libpng-dev
  # the tunes' renderings: the synthesiser and the Vorbis encoder
  libfluidsynth-dev libvorbis-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  # run: the General MIDI soundfont for the tunes, the font for the texts
  timgm6mb-soundfont unifont
  # end-to-end tests: a real X server, typed keys, screenshots
  xvfb xdotool imagemagick x11-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
