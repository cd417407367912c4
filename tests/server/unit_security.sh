#!/usr/bin/env bash
# The server's systemd unit, scored by systemd's own review of a unit's
# exposure: it must stay at 2.0 or below ("OK"), and systemd must read every
# line of it. The build's configured unit is the file an install copies;
# scripts/package.sh runs this on the one the package holds.
# Usage: unit_security.sh UNIT_FILE
set -euo pipefail
unit="$1"
[ -f "$unit" ] || { echo "no unit at $unit"; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
systemd-analyze security --offline=true "$unit" >"$work/review.txt" 2>"$work/review.err" || true
cat "$work/review.txt"
# A line systemd does not know would be dropped silently when the unit runs,
# and the score would flatter it.
if grep -Ei 'unknown|ignoring|failed to parse' "$work/review.err"; then
  echo "systemd does not read the unit as written"
  exit 1
fi
score="$(sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p' "$work/review.txt")"
[ -n "$score" ] || { cat "$work/review.err"; echo "no score"; exit 1; }
awk -v score="$score" 'BEGIN { exit !(score <= 2.0) }' ||
  { echo "the unit's exposure is $score, above 2.0"; exit 1; }
echo "the unit's exposure is $score"
