#!/usr/bin/env bash
# The Windows downloads as a player gets them, under Wine and a virtual X
# server: `scripts/package.sh windows` makes the zip and the installer; the
# zip holds the program, every DLL it needs that Windows lacks, the data files,
# and the README and the licence as Windows text; the installer, run silently,
# installs for the player alone with a Start-menu entry and an entry in
# Settings > Apps; the game that entry starts shows its title and ends on
# ESC; the uninstaller removes all of it and leaves the player's scores.
# The Wine prefix is kept outside the tree, made once per machine
# (scripts/wine.sh).
# Usage: windows_package.sh SOURCE_DIR BUILD_DIR [SCREENSHOT_DIR]
#   BUILD_DIR is the Windows build (build/windows)
set -euo pipefail
. "$(dirname "$0")/xvfb_lib.sh"
xvfb_start 640x480 "$0" "$@"
fail() { echo "FAILED: $*" >&2; exit 1; }

# A prefix of this test's own, beside the one the Windows build's tests run in:
# the installs and the player's files here never meet theirs, and its Wine
# server, bound to this run's X server, ends with the run.
source "$src/scripts/deps/common.sh"
export WINEPREFIX="$deps_root/wine-package"
# Without Wine's menu builder, which would copy the Start-menu entry into this
# machine's own desktop menu.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export SDL_AUDIODRIVER=dummy
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
wine() { "$src/scripts/wine.sh" "$@"; }
user="$WINEPREFIX/drive_c/users/$(id -un)"
programs="$user/AppData/Local/Programs/Morvex2"
scores="$user/AppData/Roaming/Morvex2"
shortcut="$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Morvex2.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvex2'
# What an earlier run that failed may have left.
rm -rf "$programs" "$scores" "$shortcut"
wine reg delete "$key" /f >/dev/null 2>&1 || true

# --- the zip: exactly the files an install puts down, text with CRLF.
"$src/scripts/package.sh" windows >"$work/package.log" 2>&1 || { cat "$work/package.log"; fail "packaging"; }
version="$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")"
zip="$src/build/dist/morvex2-$version-windows-x64.zip"
setup="$src/build/dist/morvex2-$version-setup.exe"
mkdir "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$zip")
[ "$(ls "$work/zip")" = "morvex2-$version-windows-x64" ] || fail "the zip does not unpack into one folder"
top="$work/zip/morvex2-$version-windows-x64"
(cd "$top" && find . -type f ! -name '*.tune' | sed 's|^\./||' | LC_ALL=C sort) |
  diff -u "$src/tests/smoke/windows-files.txt" - || fail "the zip's files"
[ "$(find "$top/share/morvex2" -name '*.tune' | wc -l)" -eq 2 ] || fail "the zip lacks the tunes' renderings"
for text in README.txt LICENCE.txt; do
  ! grep -q $'[^\r]$\|^$' "$top/$text" || fail "$text has a line without CRLF"
done
! grep -q @ "$top/README.txt" || fail "README.txt keeps a placeholder"
# Every DLL the program imports is Windows' own (Wine has it in system32) or
# shipped beside it.
for dll in $(x86_64-w64-mingw32-objdump -p "$top/morvex2.exe" | sed -n 's/.*DLL Name: //p'); do
  [ -e "$WINEPREFIX/drive_c/windows/system32/${dll,,}" ] || [ -e "$top/$dll" ] ||
    fail "morvex2.exe needs $dll, which neither Windows nor the zip has"
done

# --- the installer, silently, twice (the second time over the first, as a
# new version installs): the same files for this player alone, the Start-menu
# entry, the entry in Settings > Apps; nothing for all users.
wine "$setup" /S || fail "the installer failed"
wine "$setup" /S || fail "the installer failed over an earlier install"
(cd "$top" && find . -type f | LC_ALL=C sort) >"$work/zipped"
(cd "$programs" && find . -type f ! -name uninstall.exe | LC_ALL=C sort) | diff -u "$work/zipped" - ||
  fail "the installed files differ from the zip's"
cmp -s "$top/morvex2.exe" "$programs/morvex2.exe" || fail "the installed program differs from the zip's"
[ -f "$programs/uninstall.exe" ] || fail "no uninstaller"
grep -qa 'AppData\\Local\\Programs\\Morvex2\\morvex2.exe' "$shortcut" 2>/dev/null ||
  fail "no Start-menu entry for the installed program"
wine reg query "$key" /v UninstallString >"$work/key" 2>&1 || { cat "$work/key"; fail "no uninstall entry"; }
grep -q 'Programs\\Morvex2\\uninstall.exe' "$work/key" || { cat "$work/key"; fail "the uninstall entry"; }
[ -z "$(find "$WINEPREFIX/drive_c/Program Files"* "$WINEPREFIX/drive_c/ProgramData" -iname '*morvex2*')" ] ||
  fail "installed for all users"

# --- the installed game, started from elsewhere with a player's scores
# already in place: it shows its title, ends on ESC with status 0, and keeps
# the scores byte for byte.
mkdir -p "$scores"
head -c 590 /dev/urandom >"$scores/zyou.pod"
sha256sum "$scores/zyou.pod" >"$work/scores"
[ "$(wine "$programs/morvex2.exe" --version | tr -d '\r')" = "morvex2 $version" ] ||
  fail "the installed program's version"
(cd / && exec "$src/scripts/wine.sh" "$programs/morvex2.exe") &
game=$!
win="$(title_window "$game")" || fail "the installed game shows no title"
quit_from_title "$game" "$win" || fail "the installed game did not end well on ESC"
sha256sum -c --quiet "$work/scores" || fail "the game changed the player's scores"

# --- the uninstaller, silently (it runs from a copy of itself, so wait for
# the folder to go): the program, its entries and its folder go; the player's
# scores stay.
wine "$programs/uninstall.exe" /S || fail "the uninstaller failed"
wait_for 30 test ! -e "$programs" || { find "$programs"; fail "the program's folder stays after uninstall"; }
[ ! -e "$shortcut" ] || fail "the Start-menu entry stays after uninstall"
! wine reg query "$key" >/dev/null 2>&1 || fail "the uninstall entry stays after uninstall"
sha256sum -c --quiet "$work/scores" || fail "uninstalling touched the player's scores"
rm -rf "$scores"
echo "windows package test passed: $(du -h "$zip" "$setup" | awk '{ printf "%s %s  ", $2, $1 }')"
