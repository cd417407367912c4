#!/usr/bin/env bash
# Fetches and unpacks Debian 12's own source packages, for the libraries the
# Windows and browser builds make for themselves (Debian ships no SDL2 for
# either). apt's source mechanism runs with a configuration of our own under
# the machine's dependency folder, so the machine's apt sources stay as they
# are; apt checks what it fetches against the signed index, with the machine's
# Debian keyring, so dpkg-source need not check the maintainers' signatures. Each
# package is fetched once per machine and unpacked once (with Debian's
# patches applied); later calls only print where it is.
# Usage: scripts/debian-source.sh PACKAGE=VERSION...
#   prints one line per package: the folder its unpacked source is in
# The folder is $MORVEX2_DEPS (default ~/.cache/morvex2-deps), outside the tree.
set -euo pipefail
deps="${MORVEX2_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/morvex2-deps}"
apt_dir="$deps/apt"
src_dir="$deps/src"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$src_dir"
if [ ! -f "$apt_dir/sources.list" ]; then
  echo "deb-src http://deb.debian.org/debian bookworm main" >"$apt_dir/sources.list"
fi
apt_options=(
  -o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o "Dir::Etc::sourceparts=-"
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
  -o "Debug::NoLocking=1" -q
)
[ "$(id -u)" -ne 0 ] || apt_options+=(-o "APT::Sandbox::User=root")

listed=0
for wanted in "$@"; do
  package="${wanted%%=*}"
  version="${wanted#*=}"
  target="$src_dir/$package-$version"
  if [ ! -f "$target/.unpacked" ]; then
    if [ "$listed" -eq 0 ] && ! ls "$apt_dir/lists/"*Sources* >/dev/null 2>&1; then
      apt-get "${apt_options[@]}" update >&2
    fi
    listed=1
    work="$(mktemp -d "$src_dir/.fetch.XXXXXX")"
    (cd "$work" && apt-get "${apt_options[@]}" source --download-only "$package=$version" >&2)
    rm -rf "$target"
    dpkg-source --no-check -x "$work/${package}_${version#*:}.dsc" "$target" >&2
    rm -rf "$work"
    touch "$target/.unpacked"
  fi
  echo "$target"
done
