#!/usr/bin/env bash
# morvex2 --name, run as a player types it, without a display so that the
# game ends right after the name is kept (status 1, its no-display failure).
# Each row: the name typed, what zel.ini must hold afterwards (as hex; the
# first 16 bytes, then the rest of the file, which is kept), the exit status,
# and the one line on standard error for a name that is not kept.
# Usage: name_option.sh BUILD_DIR
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
data="$work/data/morvex2"
tail_hex="0a6b6570740a"  # "\nkept\n", after a 16-byte name of someone else's
fail() { echo "FAILED: $*"; exit 1; }

run() {  # run NAME: the game with --name NAME; sets status, err
  status=0
  env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER HOME="$work" XDG_DATA_HOME="$work/data" \
    XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" LC_ALL=C.UTF-8 \
    timeout 10 "$build/morvex2" --name "$1" >"$work/out" 2>"$work/err" || status=$?
  err="$(cat "$work/err")"
}

no_display='Morvex2: DirectDrawのセットアップに失敗'
while IFS='|' read -r name hex expected said; do
  mkdir -p "$data"
  rm -rf "$data/zel.ini"
  printf 'SomeoneElse12345\nkept\n' >"$data/zel.ini"
  run "$name"
  [ "$status" -eq "$expected" ] || fail "--name '$name': exit status $status, not $expected"
  [ "$(od -An -v -tx1 "$data/zel.ini" | tr -d ' \n')" = "$hex$tail_hex" ] ||
    fail "--name '$name': zel.ini holds $(od -An -v -tx1 "$data/zel.ini")"
  if [ -n "$said" ]; then
    [ "$err" = "morvex2: --name: $said" ] || fail "--name '$name' said: $err"
  else  # the game started: it ends on its own message (and, in English, a line
    # after it), whatever SDL said before
    grep -qxF "$no_display" "$work/err" && ! grep -q -- '--name' "$work/err" ||
      fail "--name '$name' said: $err"
  fi
done <<'ROWS'
Kei|4b656900000000000000000000000000|1|
太郎|91be9859000000000000000000000000|1|
aあいうえおかきく|6182a082a282a482a682a882a982ab00|1|
ABCDEFGHIJKLMNOPQRS|4142434445464748494a4b4c4d4e4f50|1|
|536f6d656f6e65456c73653132333435|2|the name is empty
Zoë|536f6d656f6e65456c73653132333435|2|the name has a character the high-score tables cannot hold (not in Shift-JIS)
ROWS

# A zel.ini that cannot be written: one line, status 1, the folder as it was.
rm -f "$data/zel.ini"
mkdir "$data/zel.ini"
run Kei
[ "$status" -eq 1 ] || fail "a folder as zel.ini: exit status $status"
[ "$err" = "morvex2: --name: cannot write zel.ini: not a regular file of a few bytes" ] ||
  fail "a folder as zel.ini said: $err"
[ -d "$data/zel.ini" ] && [ -z "$(ls -A "$data/zel.ini")" ] || fail "the folder was changed"
echo "name option runs passed"
