#!/usr/bin/env bash
# The game as a player gets it from `cmake --install`: installed into a
# prefix of its own (and through DESTDIR), every installed file checked by the
# desktop's own validators, the installed program started from elsewhere with
# a fresh home under a real X server, a second start that keeps the player's
# files byte for byte, and an uninstall that leaves the player's files alone.
# Usage: install_test.sh SOURCE_DIR BUILD_DIR [SCREENSHOT_DIR]
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
xvfb_start 640x480 "$0" "$@"
fail() { echo "FAILED: $*" >&2; exit 1; }
app=org.morvex2.morvex2

# --- install into a prefix, and the same through DESTDIR.
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log"
DESTDIR="$work/dest" cmake --install "$build" --prefix /usr >/dev/null
# Every file an install puts down, one a line (the package holds the same).
mapfile -t expected <"$src/tests/smoke/installed-files.txt"
# A build with the world tables' server (the tests' builds) installs its part
# too (the Debian packaging's second package holds the same).
if [ -x "$build/server/morvex2-server" ]; then
  mapfile -t -O "${#expected[@]}" expected <"$src/tests/smoke/installed-server-files.txt"
fi
for size in 16 32 48 64 128 256; do
  [ "$(identify -format '%wx%h' "$prefix/share/icons/hicolor/${size}x${size}/apps/$app.png")" = \
    "${size}x${size}" ] || fail "the ${size} px icon has the wrong size"
done
for file in "${expected[@]}"; do
  [ -f "$prefix/$file" ] || fail "not installed: $file"
  [ -f "$work/dest/usr/$file" ] || fail "not installed through DESTDIR: $file"
done
# Beside them the two tunes' renderings, named by what they were made from.
renderings="$(find "$prefix/share/morvex2" -name '*.tune' | wc -l)"
[ "$renderings" -eq 2 ] || fail "$renderings tune renderings installed, not 2"
[ "$(cd "$prefix" && find . -type f | wc -l)" -eq $((${#expected[@]} + 2)) ] ||
  fail "unexpected files installed"

# --- the desktop's validators and the manual page.
desktop-file-validate "$prefix/share/applications/$app.desktop" >"$work/desktop.log" 2>&1 || true
[ ! -s "$work/desktop.log" ] || { cat "$work/desktop.log"; fail "desktop entry"; }
appstreamcli validate --no-net "$prefix/share/metainfo/$app.metainfo.xml" >"$work/meta.log" 2>&1 ||
  { cat "$work/meta.log"; fail "metainfo"; }
MANWIDTH=80 man --warnings -l "$prefix/share/man/man6/morvex2.6.gz" >"$work/man.txt" 2>"$work/man.err" ||
  fail "the manual page does not render"
[ ! -s "$work/man.err" ] || { cat "$work/man.err"; fail "manual page warnings"; }
grep -q "EXIT STATUS" "$work/man.txt" || fail "manual page without its sections"
if [ -x "$build/server/morvex2-server" ]; then
  MANWIDTH=80 man --warnings -l "$prefix/share/man/man8/morvex2-server.8.gz" >"$work/man.txt" \
    2>"$work/man.err" || fail "the server's manual page does not render"
  [ ! -s "$work/man.err" ] || { cat "$work/man.err"; fail "the server's manual page warns"; }
fi

# --- the installed program, started from a menu's point of view: any folder,
# a fresh home, nothing set up.
export HOME="$work/home"
export XDG_DATA_HOME="$HOME/.local/share"
export SDL_AUDIODRIVER=dummy
mkdir -p "$HOME"
data="$XDG_DATA_HOME/morvex2"
start_installed() { (cd / && exec "$prefix/bin/morvex2" "$@") & }

start_installed
game=$!
win="$(title_window "$game")"
cp "$shots/title.png" "$shots/installed-title.png"
quit_from_title "$game" "$win"
for file in music1.mid music2.mid Clap.wav zyou.pod tyuu.pod syo.pod zel.ini; do
  [ -s "$data/$file" ] || fail "the data folder lacks $file"
done
# The tunes play from the installed renderings: none is copied, and none is
# synthesised. The cache holds at most those renderings decoded, each under
# its own name: the decoder's very samples as plain WAV, and the cache's
# trailer.
[ -z "$(find "$data" -name '*.tune')" ] || fail "a tune's rendering was copied"
check_decoded_renderings() {
  local cached name
  [ -e "$HOME/.cache/morvex2" ] || return 0
  while read -r cached; do
    name="$(basename "$cached")"
    [ -f "$prefix/share/morvex2/$name" ] || fail "the cache holds $name, not a decoded rendering"
    oggdec -Q -o "$work/decoded.wav" "$prefix/share/morvex2/$name"
    head -c -24 "$cached" | cmp -s - "$work/decoded.wav" ||
      fail "the cache's $name is not the installed rendering decoded"
  done < <(find "$HOME/.cache/morvex2" -type f)
}
check_decoded_renderings

# --- a second start keeps the player's tables and name byte for byte.
printf 'Hanako' >"$data/zel.ini"
head -c 590 /dev/urandom >"$data/tyuu.pod"
(cd "$data" && sha256sum zyou.pod tyuu.pod syo.pod zel.ini) >"$work/before"
start_installed --window
game=$!
win="$(title_window "$game")"
# On the title screen both renderings are decoded in the background.
for _ in $(seq 200); do
  [ "$(find "$HOME/.cache/morvex2" -name '*.tune' 2>/dev/null | wc -l)" -ge 2 ] && break
  sleep 0.05
done
quit_from_title "$game" "$win"
(cd "$data" && sha256sum -c --quiet "$work/before") || fail "the second start changed the player's files"
[ "$(find "$HOME/.cache/morvex2" -type f | wc -l)" -eq 2 ] ||
  fail "the installed renderings were not decoded into the cache"
check_decoded_renderings

# --- uninstall removes what was installed, and nothing of the player's.
cp "$build/install_manifest.txt" "$work/manifest.keep"
cmake --install "$build" --prefix "$prefix" >/dev/null
cmake --build "$build" --target uninstall >/dev/null
[ -z "$(find "$prefix" -type f)" ] || { find "$prefix" -type f; fail "files left after uninstall"; }
[ ! -e "$prefix/share/morvex2" ] || fail "the game's folder left after uninstall"
(cd "$data" && sha256sum -c --quiet "$work/before") || fail "uninstall touched the player's files"
echo "install test passed; screenshots in $shots"
