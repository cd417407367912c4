#!/usr/bin/env bash
# The nginx configuration shipped with the server, as an operator puts it in
# place (a certificate of their own, ports of their own), is one Debian's
# nginx reads. Run as an unprivileged user, in a folder of the test's own.
# Usage: nginx_example.sh CONFIGURATION
set -euo pipefail
. "$(dirname "$0")/nginx_site.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
nginx_site "$1" "$work" 18443 18080
nginx_in "$work" -t -q
echo "nginx reads the shipped configuration"
