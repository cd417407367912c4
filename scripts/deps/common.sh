# What the scripts that build a platform's libraries from source share; each
# such script (sdl-windows.sh, ...) sources this file. A library set is built
# once per machine into a prefix of its own under $MORVEX2_DEPS (default
# ~/.cache/morvex2-deps), outside the tree, and built again only when the
# files that describe the build change.

deps_root="${MORVEX2_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/morvex2-deps}"

# deps_key FILE...: one line that changes whenever any of the files does.
deps_key() {
  cat "$@" | sha256sum | cut -c1-16
}

# deps_built PREFIX KEY: true when PREFIX holds a finished build of KEY.
deps_built() {
  [ -f "$1/.built" ] && [ "$(cat "$1/.built")" = "$2" ]
}

# deps_mark_built PREFIX KEY: the last step of a build, so that one cut short
# is built again.
deps_mark_built() {
  echo "$2" >"$1/.built"
}

# deps_cmake SOURCE BUILD PREFIX [CMAKE ARGUMENT...]: configures, builds and
# installs one CMake project into PREFIX with Ninja, two jobs at most (the
# machines this runs on are small and shared).
deps_cmake() {
  local source="$1" build="$2" prefix="$3"
  shift 3
  rm -rf "$build"
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" "$@" >"$build.log" 2>&1 ||
    { cat "$build.log" >&2; return 1; }
  cmake --build "$build" -j 2 >>"$build.log" 2>&1 && cmake --install "$build" >>"$build.log" 2>&1 ||
    { tail -40 "$build.log" >&2; return 1; }
  rm -rf "$build" "$build.log"
}
