#!/usr/bin/env bash
# Every #include "folder/..." between folders follows docs/layers.txt: a file
# includes from another folder only when its own folder's line names that one.
# A folder is the deepest one with a line (platform/sdl/, not platform/), both
# for the file and for what it includes. Each break is named with its file,
# line and include. Every folder of C++ sources but tests/ must have a line,
# so that a new folder cannot slip by. Only the SDL host and what stands above
# it reach an SDL header, through any chain of includes (below).
# Usage: layers_check.sh SOURCE_DIR
set -euo pipefail
cd "$1"
declare -A may
while IFS=: read -r folder uses; do
  # shellcheck disable=SC2086  # word splitting makes the list one space apart
  may[$folder]=" $folder $(echo $uses) "
done < <(grep -E '^[a-z0-9_/]+:' docs/layers.txt)

# layer_of PATH: sets `layer` to the deepest folder with a line that holds
# PATH, or to nothing (a variable, not output: no subshell for each include).
layer_of() {
  local path="$1"
  layer=""
  while [[ "$path" == */* ]]; do
    path="${path%/*}"
    if [ -n "${may[$path]:-}" ]; then
      layer="$path"
      return
    fi
  done
}

broken=0
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  while read -r file; do
    layer_of "$file"
    if [[ "$file" != tests/* ]] && [ -z "$layer" ]; then
      echo "$(dirname "$file")/ holds C++ sources but has no line in docs/layers.txt" >&2
      broken=1
    fi
  done < <(git ls-files '*.cpp' '*.h' | grep / | sed 's#/[^/]*$#/x.h#' | sort -u)
fi

include='^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/'
while IFS=: read -r file line text; do
  layer_of "$file"
  folder="$layer"
  [ -n "$folder" ] || continue
  [[ "$text" =~ \"([^\"]+)\" ]] || continue
  path="${BASH_REMATCH[1]}"
  layer_of "$path"
  used="$layer"
  if [ -z "$used" ]; then
    top="${path%%/*}"
    # An include of a folder that is not a layer (a system header's own folder)
    # is none of this test's business; one into a layer's tree that names no
    # layer (platform/ alone) is.
    if [ -d "$top" ] && [ "$top" != tests ]; then
      echo "$file:$line: $text -- $path is in no folder of docs/layers.txt" >&2
      broken=1
    fi
  elif [[ "${may[$folder]}" != *" $used "* ]]; then
    echo "$file:$line: $text -- $folder/ may not include from $used/" >&2
    broken=1
  fi
done < <(grep -rnE --include='*.cpp' --include='*.h' "$include" \
           $(printf '%s\n' "${!may[@]}" | cut -d/ -f1 | sort -u) || true)
# SDL stays in the real host. Only platform/sdl and its X11 accelerator talk
# to SDL, above them the folders whose line names the host (the targets'
# platform/web/ and platform/windows/, app/, bench/),
# and beside them tools/measure/, the preload that stands between the real
# game and SDL's present calls. No other file reaches an SDL header through
# any chain of includes: not the game's code, which sees surfaces through
# ddraw.h, nor its file formats, nor the platform below the host (the Win32
# face, whose surfaces hold their own pixels, the base, the network, the
# tunes), nor the rest of tools/: the server and the tools link them without
# SDL.
declare -A sealed
for folder in "${!may[@]}"; do
  [[ "$folder" == platform/sdl || "$folder" == platform/x11 ]] && continue
  [[ "${may[$folder]}" == *" platform/sdl "* ]] && continue
  sealed[$folder]=1
done

# reach[FILE]: what FILE includes on its way to SDL (the next file, or the SDL
# header itself); at[FILE]: the line of that include.
declare -A includes reach at
any='^[[:space:]]*#[[:space:]]*include[[:space:]]*("[^/"]+/[^"]+"|<SDL[^>]*>)'
while IFS=: read -r file line text; do
  if [[ "$text" =~ \<(SDL[^>]*)\> ]]; then
    if [ -z "${reach[$file]:-}" ]; then
      reach[$file]="<${BASH_REMATCH[1]}>"
      at[$file]=$line
    fi
  elif [[ "$text" =~ \"([^\"]+)\" ]] && [ -f "${BASH_REMATCH[1]}" ]; then
    includes[$file]+="${BASH_REMATCH[1]}:$line "
  fi
done < <(grep -rnE --include='*.cpp' --include='*.h' "$any" \
           $(printf '%s\n' "${!may[@]}" | cut -d/ -f1 | sort -u) || true)
changed=1
while [ "$changed" -ne 0 ]; do
  changed=0
  for file in "${!includes[@]}"; do
    [ -n "${reach[$file]:-}" ] && continue
    for entry in ${includes[$file]}; do
      if [ -n "${reach[${entry%:*}]:-}" ]; then
        reach[$file]="${entry%:*}"
        at[$file]="${entry##*:}"
        changed=1
        break
      fi
    done
  done
done
for file in "${!reach[@]}"; do
  [[ "$file" == tools/measure/* ]] && continue
  layer_of "$file"
  [ -n "${sealed[$layer]:-}" ] || continue
  chain="$file"
  next="$file"
  while [[ "$next" != \<* ]]; do
    next="${reach[$next]}"
    chain+=" -> $next"
  done
  echo "$file:${at[$file]}: $chain -- $layer/ sees nothing of SDL" >&2
  broken=1
done

if [ "$broken" -ne 0 ]; then
  echo "includes break the layers in docs/layers.txt" >&2
  exit 1
fi
echo "every include between folders follows docs/layers.txt"
