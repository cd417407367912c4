#!/usr/bin/env bash
# Cross-builds SDL2 and SDL2_mixer for 64-bit Windows from Debian 12's own
# source packages, as static libraries, so that the game is one executable.
# SDL keeps what the game uses: the window's surface, which Windows' own
# drawing shows (so no renderer, OpenGL or Vulkan), sound, keys, game
# controllers and timers. The mixer gets what the game plays: WAV (the clap),
# Ogg Vorbis through its built-in decoder (the tunes' renderings) and MIDI
# through Windows' own synthesiser (a tune the player put in place of the
# game's); no other formats, no FluidSynth.
# Built once per machine (about two minutes), so not through ccache (SDL's
# own use of it compiles each file twice on an empty cache); built again only
# when this script, scripts/deps/common.sh or the toolchain file changes, into
# a prefix named by them, so that checkouts of older and newer trees on one
# machine each keep the libraries they were written for.
# Usage: scripts/deps/sdl-windows.sh   prints the prefix the libraries are in
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/deps/common.sh"

sdl=2.26.5+dfsg-1
mixer=2.6.2+dfsg-2
toolchain="$root/cmake/windows-x64.cmake"
key="$(deps_key "$0" "$root/scripts/deps/common.sh" "$toolchain")"
prefix="$deps_root/windows-x64-sdl2-${sdl%%+*}-mixer-${mixer%%+*}-$key"
if deps_built "$prefix" "$key"; then
  echo "$prefix"
  exit 0
fi

mapfile -t sources < <("$root/scripts/debian-source.sh" "libsdl2=$sdl" "libsdl2-mixer=$mixer")
echo "Building SDL2 and SDL2_mixer for Windows into $prefix" >&2
rm -rf "$prefix"
cross=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DMORVEX2_WINDOWS_DEPS="$prefix")
deps_cmake "${sources[0]}" "$prefix.build-sdl" "$prefix" "${cross[@]}" \
  -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_CCACHE=OFF \
  -DSDL_RENDER=OFF -DSDL_OPENGL=OFF -DSDL_OPENGLES=OFF -DSDL_VULKAN=OFF
deps_cmake "${sources[1]}" "$prefix.build-mixer" "$prefix" "${cross[@]}" \
  -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF \
  -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF \
  -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=STB -DSDL2MIXER_WAVE=ON \
  -DSDL2MIXER_MIDI=ON -DSDL2MIXER_MIDI_NATIVE=ON -DSDL2MIXER_MIDI_FLUIDSYNTH=OFF \
  -DSDL2MIXER_MIDI_TIMIDITY=OFF
deps_mark_built "$prefix" "$key"
echo "$prefix"
