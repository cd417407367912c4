#!/usr/bin/env bash
# Builds SDL2_mixer for Linux from Debian 12's own source package, as a static
# library the game links, with what the game plays and nothing else: WAV (the
# clap and the cache's renderings), Ogg Vorbis through libvorbisfile (the
# renderings made with the game) and MIDI through FluidSynth (a tune of the
# player's), which the mixer opens only when such a tune is loaded. Debian's
# own build links FluidSynth, and with it glib, libinstpatch, jack and
# readline, and the MOD, MP3, FLAC and Opus decoders, into every start of
# the game that links it.
# Built once per machine (seconds), again only when this script or
# scripts/deps/common.sh changes, into a prefix named by them.
# Usage: scripts/deps/sdl-mixer-linux.sh   prints the prefix the library is in
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/deps/common.sh"

mixer=2.6.2+dfsg-2
key="$(deps_key "$0" "$root/scripts/deps/common.sh")"
prefix="$deps_root/linux-$(uname -m)-mixer-${mixer%%+*}-$key"
if deps_built "$prefix" "$key"; then
  echo "$prefix"
  exit 0
fi

source_dir="$("$root/scripts/debian-source.sh" "libsdl2-mixer=$mixer")"
echo "Building SDL2_mixer for Linux into $prefix" >&2
rm -rf "$prefix"
# Debian's soundfont is the mixer's default, as in Debian's own build. The
# mixer's build names the FluidSynth it opens by the file's full version
# (libfluidsynth.so.3.1.4), which the next Debian update of FluidSynth
# removes; it opens the library's versioned name instead, which any FluidSynth
# 2 keeps (these flags follow the build's own definitions, so they win).
flags="-DMIX_INIT_SOUNDFONT_PATHS='\"/usr/share/sounds/sf3/default-GM.sf3\"'"
flags+=" -UFLUIDSYNTH_DYNAMIC -DFLUIDSYNTH_DYNAMIC='\"libfluidsynth.so.3\"'"
deps_cmake "$source_dir" "$prefix.build-mixer" "$prefix" -DCMAKE_C_FLAGS="$flags" \
  -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF \
  -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF \
  -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=VORBISFILE -DSDL2MIXER_VORBIS_VORBISFILE_SHARED=OFF \
  -DSDL2MIXER_WAVE=ON -DSDL2MIXER_MIDI=ON -DSDL2MIXER_MIDI_NATIVE=OFF \
  -DSDL2MIXER_MIDI_TIMIDITY=OFF -DSDL2MIXER_MIDI_FLUIDSYNTH=ON \
  -DSDL2MIXER_MIDI_FLUIDSYNTH_SHARED=ON
deps_mark_built "$prefix" "$key"
echo "$prefix"
