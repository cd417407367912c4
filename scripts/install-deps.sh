#!/usr/bin/env bash
# Installs the Debian packages the game needs to build, run and be tested.
# Nothing is downloaded from anywhere else. One dpkg query finds what is
# missing; apt-get runs only then, through sudo only when not root.
# Usage: scripts/install-deps.sh [game|linux|cross|peers|all]   (default: all)
#   game   what building and playing the game needs
#   linux  also the tests, benchmarks, packaging and the checks of installed
#          files on Linux
#   cross  the Windows build with its tests under Wine, and the browser build
#          with its tests in chromium
#   peers  the games the game is measured beside (scripts/measure-peers.sh)
#   all    all of these but the peers
set -euo pipefail

game=(
  # build
  g++ cmake ninja-build pkg-config ccache libsdl2-dev libsdl2-mixer-dev zlib1g-dev
  libx11-dev libxext-dev
  # the mixer built for the game from Debian's source (scripts/deps/sdl-mixer-linux.sh)
  dpkg-dev
  # the world tables: the headers of the library that makes requests on Linux
  # (loaded once a server is chosen), the server's JSON answers
  libcurl4-openssl-dev nlohmann-json3-dev
  # the tunes' renderings: the synthesiser's headers (it is loaded only when a
  # tune is synthesised), the encoder of the shipped ones,
  # and the decoder that puts them into the cache as plain samples
  libfluidsynth-dev vorbis-tools libvorbis-dev
  # run: the General MIDI soundfont for the tunes, the font for the texts
  timgm6mb-soundfont unifont
)
tests=(
  # tests and benchmarks, the fuzz targets, the build by a second compiler
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  # the formatting and lint gates
  clang-format clang-tidy python3 git
  # end-to-end tests: a real X server, typed keys, screenshots
  xvfb xdotool imagemagick x11-utils libxfixes-dev
  # the world tables' end-to-end test asks the server with curl
  curl
  # the game on a Wayland compositor, nested in the virtual X server
  weston
  # the installed files and the package: validators, manual pages, lintian
  desktop-file-utils appstream man-db dpkg-dev lintian
  # the world tables' server (built with the tests): its HTTP (Boost.Beast
  # and Asio, headers only) with OpenSSL for its own TLS, the embedded
  # database and its shell for backups; the tests' HTTP client, and openssl
  # for their self-signed certificate
  libboost1.81-dev libssl-dev libsqlite3-dev sqlite3 libcpp-httplib-dev openssl
  # its shared database: the client library, the PostgreSQL its tests start for
  # themselves, and wrk for the load measurements (scripts/load.sh)
  libpq-dev postgresql wrk
  # the review of the server's systemd unit (systemd-analyze security), and
  # the nginx its example configuration is checked with and run in front of
  # two servers (tests/server/behind_nginx.sh), whose workers that test
  # follows through a reload with pgrep
  systemd nginx-light procps
)
cross=(
  # Debian's source packages of SDL, unpacked; the real window under a virtual
  # X server, typed keys and screenshots, for the Windows program under Wine
  dpkg-dev xvfb xdotool imagemagick
  # the Windows build (scripts/build.sh windows) and its tests under Wine:
  # MinGW-w64 with POSIX threads, zlib built for it, Wine
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  libz-mingw-w64-dev wine wine64
  # the Windows installer (the zip is CMake's own)
  nsis
  # the browser build: the compiler, its optimiser and JavaScript engine, and
  # the browser its tests drive
  emscripten binaryen nodejs chromium
  # the site's brotli copies, and its gzip ones made smaller than gzip's own
  brotli zopfli
)
# Two falling-piece games of Debian's that scripts/measure-peers.sh measures
# the game beside; only that script installs them.
peers=(ltris cuyo)
# npm, for the browser tests' playwright-core, comes with Debian's nodejs as a
# package of its own; some machines have a nodejs that carries npm itself.
command -v npm >/dev/null 2>&1 || cross+=(npm)

case "${1:-all}" in
  game) packages=("${game[@]}") ;;
  linux) packages=("${game[@]}" "${tests[@]}") ;;
  cross) packages=("${cross[@]}") ;;
  peers) packages=("${peers[@]}") ;;
  all) packages=("${game[@]}" "${tests[@]}" "${cross[@]}") ;;
  *) echo "usage: $0 [game|linux|cross|peers|all]" >&2; exit 2 ;;
esac

installed="$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null |
  awk '$NF == "installed" { print $1 }' || true)"
missing=()
for p in "${packages[@]}"; do
  grep -qx "$p" <<<"$installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
