#!/usr/bin/env bash
# Configures (once) and builds incrementally. Usage: scripts/build.sh [release|asan]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kind="${1:-release}"
case "$kind" in
  release) flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  asan) flags=(-DCMAKE_BUILD_TYPE=Debug -DMORVEX2_SANITIZE=ON) ;;
  *) echo "usage: $0 [release|asan]" >&2; exit 2 ;;
esac
dir="$root/build/$kind"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$dir" "${flags[@]}" >/dev/null
fi
cmake --build "$dir" -j "$(nproc)"
