#!/usr/bin/env bash
# Configures and builds incrementally, with warnings as errors. A build folder
# is configured again only when the flags its kind is configured with have
# changed since the last time (a flag edited here, a new SDL build's folder).
# Usage: scripts/build.sh [release|asan|game|deb|clang|windows|web] [TARGET...]
#   release  the game, tests and benchmarks, optimised with debug information
#   asan     the game and tests under AddressSanitizer and UBSan, built the
#            portable way: no X11 accelerator, no FluidSynth (SDL alone
#            presents, and the game plays only the tunes rendered with it)
#   game     the game alone, as players and packagers build it (Release)
#   deb      the game and the world tables' server as the Debian packages
#            hold them (Release, no tests, installed under /usr: the game in
#            /usr/games, the server in /usr/bin); scripts/package.sh deb
#   clang    the game alone, built by clang in Release
#   windows  the game for 64-bit Windows (build/windows/morvex2.exe, its data
#            in build/windows/share/morvex2) and its tests, cross-compiled
#            with MinGW-w64 against SDL built once per machine
#            (scripts/deps/sdl-windows.sh); the build machine's own font-table
#            maker, tunes' encoder and tunes' renderings come from build/game
#   web      the page that plays the game in a browser, in build/web/site (the
#            rest of build/web is its build): built by emscripten against
#            SDL2 built for it (scripts/deps/sdl-web.sh), with the tools, the
#            icons and the tunes' renderings of the game build
#   TARGET   only these targets (default: all)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kind="${1:-release}"
shift || true
case "$kind" in
  release) flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  asan) flags=(-DCMAKE_BUILD_TYPE=Debug -DMORVEX2_SANITIZE=ON -DMORVEX2_X11=OFF
              -DMORVEX2_FLUIDSYNTH=OFF) ;;
  game) flags=(-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF) ;;
  deb) flags=(-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DMORVEX2_SERVER=ON
              -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games -DMORVEX2_SERVER_BINDIR=bin) ;;
  clang) flags=(-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
                -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  windows)
    "$root/scripts/build.sh" game gen_font_table morvex2_tune_renderings
    deps="$("$root/scripts/deps/sdl-windows.sh")"
    # -O2 as the release build: GCC 12 at -O3 warns falsely of overflows in
    # std::vector's inlined copies.
    flags=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG"
           -DCMAKE_TOOLCHAIN_FILE="$root/cmake/windows-x64.cmake"
           -DMORVEX2_WINDOWS_DEPS="$deps" -DMORVEX2_HOST_TOOLS="$root/build/game"
           -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine.sh") ;;
  web) ;;
  *) echo "usage: $0 [release|asan|game|deb|clang|windows|web] [TARGET...]" >&2; exit 2 ;;
esac
dir="$root/build/$kind"
# Paths relative to the checkout, so that a second checkout of the tree (a
# branch beside this one) finds this one's compiled files in ccache.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
# configure COMMAND...: runs the configure command when the folder has none
# or was configured by another; the command, written down in the folder, is
# what is compared. A changed command starts from a fresh cache, so that a
# flag dropped from it does not stay; a folder configured before commands were
# written down is only configured again (every flag of today reaches it).
configure() {
  local stamp="$dir/morvex2-configured-by"
  if [ -f "$dir/build.ninja" ] && [ -f "$stamp" ] && [ "$(printf '%s\n' "$@")" = "$(cat "$stamp")" ]; then
    return
  fi
  local fresh=()
  if [ -f "$stamp" ]; then fresh=(--fresh); fi
  rm -f "$stamp"
  "$@" "${fresh[@]}" >/dev/null
  printf '%s\n' "$@" >"$stamp"
}
if [ "$kind" = web ]; then
  # The tools that make the font table, the icons and the tunes run here, not
  # in the browser.
  "$0" game gen_font_table gen_app_icons web_tunes morvex2_tune_renderings
  source "$root/scripts/deps/emscripten-env.sh"
  prefix="$("$root/scripts/deps/sdl-web.sh")"
  # Built for size (-Os): the browser compiles the page's hot code a second
  # time, at its top tier, in the first half minute of each screen; from -Os
  # code that costs a quarter to a half of what -O3's did, and the game's own
  # turns take no longer. Tried again against -O2 and -Os -msimd128 (sampled
  # in chromium, 20 s of the title, busy machine): the game's own wasm took
  # 0.22 % of the page's thread at -O2, 0.25 % at -Os, 0.36 % with SIMD, all
  # within the sampling's spread, while -O2's code is 61 KB larger (1.19 MB
  # against 1.13 MB raw) and SIMD's the same size: the game's hot loops are
  # table lookups and 16-bit blits, and SDL and the mixer are built without it.
  # With the compiler's inlining left on (-finline-functions): emscripten's
  # -Os turns it off for all but forced functions, so every std::min,
  # iterator step and accessor in the game's loops (the frame's compare, the
  # text, the conversion for the canvas) was a call with its arguments put in
  # memory. Inlined, the code is 8 KB larger raw (885 against 877 KB), 76
  # bytes larger gzipped and 2 KB smaller in brotli. -O2 costs 77 KB raw and
  # 12 KB gzipped more than -Os (954 against 877 KB, 427 against 415 KB), for a
  # title turn of 0.352 ms against 0.368 ms side by side in chromium, within
  # what two runs differ by on a busy machine: much of the turn is memcpy and
  # memcmp over the frame, which come built with the C library whatever this
  # says, and the canvas's put.
  configure emcmake cmake -S "$root" -B "$dir" -G Ninja -DMORVEX2_WERROR=ON -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_CXX_FLAGS_MINSIZEREL="-Os -finline-functions -DNDEBUG" \
    -DBUILD_TESTING=OFF -DMORVEX2_X11=OFF -DMORVEX2_FLUIDSYNTH=OFF \
    -DCMAKE_FIND_ROOT_PATH="$prefix" -DSDL2_DIR="$prefix/lib/cmake/SDL2" \
    -DSDL2_mixer_DIR="$prefix/lib/cmake/SDL2_mixer" -DMORVEX2_HOST_TOOLS="$root/build/game"
else
  # Linux's own builds link the mixer built for the game, which opens
  # FluidSynth only for a tune of the player's (scripts/deps/sdl-mixer-linux.sh).
  if [ "$kind" != windows ]; then
    flags+=(-DSDL2_mixer_DIR="$("$root/scripts/deps/sdl-mixer-linux.sh")/lib/cmake/SDL2_mixer")
  fi
  # Ninja: a build with nothing to do takes milliseconds, so ./play.sh starts
  # the game at once on a built tree.
  configure cmake -S "$root" -B "$dir" -G Ninja -DMORVEX2_WERROR=ON "${flags[@]}"
fi
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
