# Sourced by the Wine rows that run the game with its settings: the game keeps
# them, --server among them, in the Wine prefix's application data, not in
# --data-dir, and the other Wine rows share the project's prefix. So such a
# row runs in a prefix of its own: the project's prefix linked file by file
# (a fraction of a second), with real copies of what Wine and the game write
# (the registry files, the users' folders). wine_own_prefix makes it and
# exports WINEPREFIX; wine_drop_prefix ends its Wine server and removes it.
# Needs $src (the source folder).
wine_own_prefix() {
  source "$src/scripts/deps/common.sh"
  local shared_prefix="${WINEPREFIX:-$deps_root/wine-prefix}"
  [ -f "$shared_prefix/.made" ] || "$src/scripts/wine.sh" wineboot >/dev/null 2>&1
  # Beside the project's prefix, so that it is on the same file system.
  prefix="$(mktemp -d "$deps_root/wine-world.XXXXXX")"
  cp -al "$shared_prefix/." "$prefix/"
  for file in "$prefix"/*.reg; do cp --remove-destination "$shared_prefix/${file##*/}" "$file"; done
  rm -rf "$prefix/drive_c/users"
  cp -a "$shared_prefix/drive_c/users" "$prefix/drive_c/users"
  find "$prefix/drive_c/users" -depth -path '*/AppData/Roaming/Morvex2' -exec rm -rf {} +
  export WINEPREFIX="$prefix"
}

wine_drop_prefix() {
  [ -n "${prefix:-}" ] || return 0
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
}
