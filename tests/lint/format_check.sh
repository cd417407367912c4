#!/usr/bin/env bash
# Every tracked C++ file is as the project's .clang-format writes it.
# Usage: format_check.sh SOURCE_DIR
set -euo pipefail
cd "$1"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
echo "all C++ files formatted"
