#!/usr/bin/env bash
# Makes the Debian package build/game/morvex2_<version>_<arch>.deb from the
# players' build (Release, no tests) and checks it with lintian. CPack packs
# what `cmake --install` installs, so the package cannot drift from it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" game
cd "$root/build/game"
# Debian keeps games in /usr/games.
cmake -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games . >/dev/null
cpack -G DEB
deb="$(ls -t morvex2_*.deb | head -n1)"
dpkg-deb --info "$deb"
lintian --info "$deb" || true
echo "built $root/build/game/$deb"
