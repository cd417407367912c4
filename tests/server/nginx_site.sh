# Shared by the tests that run Debian's nginx on the configuration shipped
# with the server. Each sources it.

nginx="$(command -v nginx || echo /usr/sbin/nginx)"

# nginx_site EXAMPLE DIR HTTPS_PORT HTTP_PORT [SERVER_PORT [SECOND_SERVER_PORT]]:
# EXAMPLE as an operator puts it in place, in DIR, a folder of the caller's
# that becomes nginx's own: a self-signed certificate for 127.0.0.1 and
# tables.example.org (DIR/cert.pem, which a client then trusts as its own
# authority), TLS on HTTPS_PORT and the plain port on HTTP_PORT of the
# loopback, and with SERVER_PORT the servers on those ports of the loopback
# (the second server, commented out in EXAMPLE, then taken up). Start it with
# DIR/nginx.conf (nginx_in DIR ...): its pid (DIR/nginx.pid), logs
# (DIR/logs) and temporary files stay in DIR. Sets nginx_as, the command
# that runs nginx unprivileged (nobody) when this runs as root.
nginx_site() {
  local example="$1" dir="$2" https="$3" http="$4" first="${5:-}" second="${6:-}"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/key.pem" -out "$dir/cert.pem" \
    -days 1 -subj /CN=tables.example.org \
    -addext "subjectAltName=DNS:tables.example.org,IP:127.0.0.1" 2>/dev/null
  local servers=()
  [ -z "$first" ] || servers+=(-e "s|server 127.0.0.1:8770 |server 127.0.0.1:$first |")
  [ -z "$second" ] || servers+=(-e "s|# server 127.0.0.1:8771 |server 127.0.0.1:$second |")
  sed -e "s|/etc/letsencrypt/live/tables.example.org/fullchain.pem|$dir/cert.pem|" \
    -e "s|/etc/letsencrypt/live/tables.example.org/privkey.pem|$dir/key.pem|" \
    -e "s|listen \(\[::\]:\)\{0,1\}443|listen \1127.0.0.1:$https|" \
    -e "s|listen \(\[::\]:\)\{0,1\}80;|listen \1127.0.0.1:$http;|" \
    "${servers[@]}" "$example" >"$dir/site.conf"
  # Only the IPv4 loopback: a machine without IPv6 reads it too.
  sed -i '/listen \[::\]/d' "$dir/site.conf"
  mkdir -p "$dir/logs"
  cat >"$dir/nginx.conf" <<CONF
pid $dir/nginx.pid;
error_log $dir/logs/error.log;
events {}
http {
  include /etc/nginx/mime.types;
  access_log off;
  client_body_temp_path $dir/body;
  proxy_temp_path $dir/proxy;
  include $dir/site.conf;
}
CONF
  nginx_as=()
  if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody "$dir"
    nginx_as=(runuser -u nobody --)
  fi
}

# nginx_in DIR [ARGUMENT...]: nginx on DIR's configuration, as nginx_site set it up.
nginx_in() {
  local dir="$1"; shift
  "${nginx_as[@]}" "$nginx" -p "$dir" -c "$dir/nginx.conf" -e "$dir/logs/error.log" "$@"
}
