#!/usr/bin/env bash
# Rebuilds the asset generators and rewrites every generated file that the
# repository carries: the six pictures and the icon in resources/, the tunes,
# the clap, the installed data files and the menu icons in data/. The generators give the
# same bytes on every run, so an unchanged generator leaves git clean.
# Usage: scripts/generate-assets.sh [BUILD_DIR]   (default: build/assets)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/assets}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DMORVEX2_BENCHMARKS=OFF >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target gen_bitmaps gen_icon gen_app_icons gen_music gen_clap gen_data
"$build/tools/gen_bitmaps" "$root/resources"
"$build/tools/gen_icon" "$root/resources"
mkdir -p "$root/data/icons"
"$build/tools/gen_app_icons" "$root/data/icons"
"$build/tools/gen_music" "$root/data"
"$build/tools/gen_clap" "$root/data"
"$build/tools/gen_data" "$root/data"
echo "Regenerated resources/ and data/; 'git status' shows what changed."
