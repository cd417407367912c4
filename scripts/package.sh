#!/usr/bin/env bash
# Makes what players download. Each packs what `cmake --install` installs from
# its build, so a package cannot drift from an install.
# Usage: scripts/package.sh [deb|windows|web]   (default: deb)
#   deb      build/deb/morvex2_<version>_<arch>.deb, the game, and
#            build/deb/morvex2-server_<version>_<arch>.deb, the world tables'
#            server and its systemd unit, from the players' build with the
#            server (Release, no tests): their files checked against an
#            install's, the game's against the server's libraries, both with
#            lintian
#   windows  build/dist/morvex2-<version>-windows-x64.zip and
#            build/dist/morvex2-<version>-setup.exe from the Windows build
#   web      build/dist/morvex2-<version>-web.zip: the browser's page, the
#            files of build/web/site and nothing else, for any static web
#            server (or morvex2-server --site)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

# What a Debian package holds, one path a line under /usr (a game's under
# bin/ as an install elsewhere keeps it), but the tunes' renderings, which
# are named by what they were made from.
package_files() {
  dpkg-deb --contents "$1" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||; s|^games/|bin/|' |
    grep -v '^share/morvex2/.*\.tune$' | sort
}

deb() {
  "$root/scripts/build.sh" deb
  local dir="$root/build/deb"
  rm -f "$dir"/morvex2*.deb
  (cd "$dir" && cpack -G DEB >/dev/null)
  local version game server
  version="$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$dir/CPackConfig.cmake")"
  game="$dir/morvex2_${version}_$(dpkg --print-architecture).deb"
  server="$dir/morvex2-server_${version}_$(dpkg --print-architecture).deb"
  dpkg-deb --info "$game"
  dpkg-deb --info "$server"
  # Each package holds exactly what its part of an install does.
  package_files "$game" | diff -u "$root/tests/smoke/installed-files.txt" - ||
    { echo "the game's package differs from an install's files" >&2; exit 1; }
  package_files "$server" | diff -u "$root/tests/smoke/installed-server-files.txt" - ||
    { echo "the server's package differs from an install's files" >&2; exit 1; }
  local renderings
  renderings="$(dpkg-deb --contents "$game" | grep -c '/share/morvex2/[^/]*\.tune$' || true)"
  [ "$renderings" -eq 2 ] || { echo "the game's package holds $renderings tune renderings, not 2" >&2; exit 1; }
  # A player's package needs none of the server's libraries.
  local depends
  depends="$(dpkg-deb --field "$game" Depends)"
  if grep -Eo 'lib(pq|sqlite3|ssl|boost)[^ ,]*' <<<"$depends"; then
    echo "the game's package depends on the server's libraries: $depends" >&2
    exit 1
  fi
  # The libraries the game opens only for a feature that needs them are
  # recommended, not required: a player without a world server needs no
  # network library, one with the game's own tunes no synthesiser.
  local recommends library
  recommends="$(dpkg-deb --field "$game" Recommends)"
  for library in libcurl4 libfluidsynth3; do
    if grep -Eo "${library%[0-9]}[^ ,]*" <<<"$depends" || ! grep -qw "$library" <<<"$recommends"; then
      echo "$library is not only recommended: Depends: $depends; Recommends: $recommends" >&2
      exit 1
    fi
  done
  # The unit goes where systemd looks for units, and starts the program the
  # package holds.
  local unit=/usr/lib/systemd/system/morvex2-server.service searched
  searched="$(pkg-config --variable=systemdsystemunitpath systemd 2>/dev/null ||
    echo /lib/systemd/system:/usr/lib/systemd/system)"
  tr ':' '\n' <<<"$searched" | grep -qx "${unit%/*}" ||
    { echo "systemd does not look for units in ${unit%/*} ($searched)" >&2; exit 1; }
  local unpacked
  unpacked="$(mktemp -d)"
  dpkg-deb --extract "$server" "$unpacked"
  grep -qx 'ExecStart=/usr/bin/morvex2-server .*' "$unpacked$unit" ||
    { rm -rf "$unpacked"; echo "the unit does not start /usr/bin/morvex2-server" >&2; exit 1; }
  "$root/tests/server/unit_security.sh" "$unpacked$unit" >/dev/null ||
    { rm -rf "$unpacked"; echo "the packaged unit is exposed beyond 2.0" >&2; exit 1; }
  rm -rf "$unpacked"
  lintian --info "$game" "$server" || true
  echo "built $game"
  echo "built $server"
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
