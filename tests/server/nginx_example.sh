#!/usr/bin/env bash
# The nginx configuration shipped with the server, as an operator puts it in
# place (a certificate of their own, ports of their own), is one Debian's
# nginx reads. Run as an unprivileged user, in a folder of the test's own.
# Usage: nginx_example.sh CONFIGURATION
set -euo pipefail
example="$1"
nginx="$(command -v nginx || echo /usr/sbin/nginx)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" \
  -days 1 -subj /CN=tables.example.org 2>/dev/null
sed -e "s|/etc/letsencrypt/live/tables.example.org/fullchain.pem|$work/cert.pem|" \
  -e "s|/etc/letsencrypt/live/tables.example.org/privkey.pem|$work/key.pem|" \
  -e 's|listen \(\[::\]:\)\{0,1\}443|listen \1127.0.0.1:18443|' \
  -e 's|listen \(\[::\]:\)\{0,1\}80;|listen \1127.0.0.1:18080;|' "$example" >"$work/site.conf"
# Only the IPv4 loopback: a machine without IPv6 reads it too.
sed -i '/listen \[::\]/d' "$work/site.conf"
mkdir -p "$work/logs"
cat >"$work/nginx.conf" <<CONF
pid $work/nginx.pid;
error_log $work/logs/error.log;
events {}
http {
  include /etc/nginx/mime.types;
  access_log off;
  client_body_temp_path $work/body;
  proxy_temp_path $work/proxy;
  include $work/site.conf;
}
CONF
run=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody "$work"
  run=(runuser -u nobody --)
fi
"${run[@]}" "$nginx" -t -q -p "$work" -c "$work/nginx.conf"
echo "nginx reads the shipped configuration"
