#!/usr/bin/env bash
# Builds SDL2, SDL2_mixer and zlib for the browser build, with emscripten, from
# Debian 12's own source packages (Debian ships no SDL2 for WebAssembly, and
# emscripten's -sUSE_SDL=2 would download one). Once per machine: the prefix
# is kept and built again only when this script or the compiler changes.
# SDL keeps only what the game uses: the window's surface (the page's canvas,
# drawn as a plain image, so its pixels are exactly the game's), sound, keys,
# game controllers and timers, and none of its own blitters: the game converts
# and scales its frames itself (platform/sdl/frame_scaler.cpp), and the one
# blit left to SDL, a frame stretched onto an unusual canvas, takes SDL's
# general blitter, as a 16-bit frame's scaled blit always did. The blitters
# were a quarter of the page's code (226 KB of the wasm's 854 KB).
# SDL2_mixer keeps only what the game plays: WAV,
# and Ogg Vorbis through its built-in decoder. SDL converts text with its own
# few encodings, not the C library's iconv, which would bring the tables of
# every code page it knows into the page.
# Usage: scripts/deps/sdl-web.sh   prints the prefix (for CMAKE_PREFIX_PATH)
# Built once, so not through ccache (SDL's own use of it compiles each file
# twice on an empty cache).
# The prefix is under $MORVEX2_DEPS (default ~/.cache/morvex2-deps), outside
# the tree. Debian's emscripten comes with its system libraries built, in a
# cache of its own under /usr/share that it never writes to.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
deps="${MORVEX2_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/morvex2-deps}"
source "$root/scripts/deps/emscripten-env.sh"
jobs="${MORVEX2_JOBS:-2}"

# emcc's first line, read by sed to the end: head would close the pipe early,
# and emcc, still writing, then fails with a broken pipe under pipefail.
emcc_version="$(emcc --version | sed -n 1p)"
key="$( (cat "$0" "$root/scripts/deps/sdl-web-checks.cmake"; echo "$emcc_version") |
  sha256sum | cut -c1-16)"
prefix="$deps/sdl-web-$key"
if [ -f "$prefix/.built" ]; then
  echo "$prefix"
  exit 0
fi

mapfile -t sources < <("$root/scripts/debian-source.sh" libsdl2=2.26.5+dfsg-1 \
  libsdl2-mixer=2.6.2+dfsg-2 zlib=1:1.2.13.dfsg-1)
work="$deps/sdl-web-build"
rm -rf "$work" "$prefix"
mkdir -p "$work"
common=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix"
        -DCMAKE_PREFIX_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF)

# The configure checks' answers, known for Debian 12's emscripten.
checks=()
if [[ "$emcc_version" == *' 3.1.6 '* ]]; then
  checks=(-C "$root/scripts/deps/sdl-web-checks.cmake")
fi
echo "Building SDL2 for the browser into $prefix" >&2
emcmake cmake "${checks[@]}" -S "${sources[0]}" -B "$work/sdl2" "${common[@]}" \
  -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=ON -DSDL_CCACHE=OFF \
  -DSDL_THREADS=OFF -DSDL_RENDER=OFF -DSDL_OPENGL=OFF -DSDL_OPENGLES=OFF -DSDL_HAPTIC=OFF \
  -DSDL_HIDAPI=OFF -DSDL_POWER=OFF -DSDL_SENSOR=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF \
  -DSDL_LOADSO=OFF -DSDL_FILESYSTEM=OFF -DSDL_OFFSCREEN=OFF -DSDL_DISKAUDIO=OFF \
  -DSDL_SYSTEM_ICONV=OFF -DCMAKE_C_FLAGS=-DSDL_LEAN_AND_MEAN=1 >&2
cmake --build "$work/sdl2" -j "$jobs" >&2
cmake --install "$work/sdl2" >&2

echo "Building SDL2_mixer for the browser into $prefix" >&2
# SDL2 is found in the prefix, never as emscripten's own (which downloads).
emcmake cmake -S "${sources[1]}" -B "$work/mixer" "${common[@]}" -DSDL2_DIR="$prefix/lib/cmake/SDL2" \
  -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF \
  -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF \
  -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=STB -DSDL2MIXER_WAVE=ON >&2
cmake --build "$work/mixer" -j "$jobs" >&2
cmake --install "$work/mixer" >&2

# zlib, for the replays' checksum: its library alone, without its configure
# and example programs.
echo "Building zlib for the browser into $prefix" >&2
mkdir -p "$work/zlib" "$prefix/include"
zlib_sources=(adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast
              inflate inftrees trees uncompr zutil)
for name in "${zlib_sources[@]}"; do
  echo "emcc -O3 -DZ_HAVE_UNISTD_H -c ${sources[2]}/$name.c -o $work/zlib/$name.o"
done | xargs -P "$jobs" -I{} sh -c '{}' >&2
emar rcs "$prefix/lib/libz.a" "$work"/zlib/*.o
cp "${sources[2]}/zlib.h" "${sources[2]}/zconf.h" "$prefix/include/"

rm -rf "$work"
touch "$prefix/.built"
echo "$prefix"
