#!/usr/bin/env bash
# Makes what players download. Each packs what `cmake --install` installs from
# its build, so a package cannot drift from an install.
# Usage: scripts/package.sh [deb|windows|web]   (default: deb)
#   deb      build/game/morvex2_<version>_<arch>.deb from the players' build
#            (Release, no tests), checked with lintian
#   windows  build/dist/morvex2-<version>-windows-x64.zip and
#            build/dist/morvex2-<version>-setup.exe from the Windows build
#   web      build/dist/morvex2-<version>-web.zip: the browser's page, the
#            files of build/web/site and nothing else, for any static web
#            server (or morvex2-server --site)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

deb() {
  "$root/scripts/build.sh" game
  cd "$root/build/game"
  # Debian keeps games in /usr/games.
  cmake -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games . >/dev/null
  cpack -G DEB
  local deb
  deb="$(ls -t morvex2_*.deb | head -n1)"
  dpkg-deb --info "$deb"
  # The package holds exactly what an install does (games in /usr/games):
  # the listed files, and the two tunes' renderings, named by what they were
  # made from.
  local files
  files="$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $6 }' |
    sed 's|^\./usr/||; s|^games/|bin/|' | sort)"
  grep -v '^share/morvex2/[^/]*\.tune$' <<<"$files" |
    diff -u "$root/tests/smoke/installed-files.txt" - ||
    { echo "the package's files differ from an install's" >&2; exit 1; }
  [ "$(grep -c '^share/morvex2/[^/]*\.tune$' <<<"$files")" -eq 2 ] ||
    { echo "the package lacks the tunes' renderings" >&2; exit 1; }
  lintian --info "$deb" || true
  echo "built $root/build/game/$deb"
}

# The zip unpacks into a folder of its own; the installer installs the same
# files and an uninstaller that removes exactly those.
windows() {
  "$root/scripts/build.sh" windows
  local build="$root/build/windows" dist="$root/build/dist" version
  version="$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")"
  local name="morvex2-$version-windows-x64" stage="$build/package"
  rm -rf "$stage"
  cmake --install "$build" --prefix "$stage/$name" --strip >/dev/null
  mkdir -p "$dist"
  rm -f "$dist/$name.zip"
  (cd "$stage" && cmake -E tar cf "$dist/$name.zip" --format=zip "$name")
  # The uninstaller's list: every file, then the folders deepest first.
  (cd "$stage/$name" &&
    find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|Delete "$INSTDIR\\&"|' &&
    find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|RMDir "$INSTDIR\\&"|') \
    >"$stage/remove.nsh"
  makensis -V2 -WX -DVERSION="$version" -DFILES="$stage/$name" -DREMOVE="$stage/remove.nsh" \
    -DOUTFILE="$dist/morvex2-$version-setup.exe" "$root/data/windows/installer.nsi"
  echo "built $dist/$name.zip"
  echo "built $dist/morvex2-$version-setup.exe"
}

# The zip unpacks into a folder of its own, which is the site.
web() {
  "$root/scripts/build.sh" web
  local build="$root/build/web" dist="$root/build/dist" version
  version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
  local name="morvex2-$version-web" stage="$build/package"
  rm -rf "$stage"
  mkdir -p "$stage" "$dist"
  cp -r "$build/site" "$stage/$name"
  rm -f "$dist/$name.zip"
  (cd "$stage" && cmake -E tar cf "$dist/$name.zip" --format=zip "$name")
  echo "built $dist/$name.zip"
}

kind="${1:-deb}"
case "$kind" in
  deb | windows) "$root/scripts/install-deps.sh" ;;
  web) "$root/scripts/install-deps.sh" game && "$root/scripts/install-deps.sh" cross ;;
  *) echo "usage: $0 [deb|windows|web]" >&2; exit 2 ;;
esac
"$kind"
