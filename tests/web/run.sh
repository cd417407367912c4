#!/usr/bin/env bash
# Runs the browser build's tests (web_test.mjs), or another script of this
# folder with its arguments (measure.mjs), against the page in build/web/site: installs
# playwright-core at the version package-lock.json pins into build/web-test
# (never a browser: it drives Debian's chromium), then runs them.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
here="$root/tests/web"
work="$root/build/web-test"
mkdir -p "$work"
if ! cmp -s "$here/package-lock.json" "$work/package-lock.json" || [ ! -d "$work/node_modules" ]; then
  cp "$here/package.json" "$here/package-lock.json" "$work/"
  (cd "$work" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund --silent)
fi
script="${1:-web_test.mjs}"
shift || true
cp "$here"/*.mjs "$here"/*.js "$work/"
exec node "$work/$script" "$root/build/web/site" "$root" "$@"
