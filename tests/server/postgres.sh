#!/usr/bin/env bash
# A PostgreSQL of the tests' own: a fresh cluster in a folder, listening only on
# a Unix socket in that folder (no TCP port to clash with anything), owned by
# an unprivileged user, since initdb and postgres refuse to run as root.
#
# Usage: tests/server/postgres.sh start|stop|halt DIR
#   start  makes the cluster in DIR if there is none, starts it, waits until it
#          takes connections and prints its conninfo (also kept in DIR/conninfo)
#   stop   stops it (fast: open sessions are ended) and removes DIR
#   halt   stops it at once, as a crash would, and keeps DIR: a later start
#          recovers from the write-ahead log, as after a power cut
#
# The cluster keeps PostgreSQL's durable defaults (fsync, synchronous commits,
# full-page writes): the tests that kill a process mid-write need commits that
# survive. Only initdb skips its own syncs (--no-sync): the catalogue it writes
# is thrown away with DIR, and skipping them saves most of the start.
# The socket's path (DIR/.s.PGSQL.5432) must stay under 107 bytes: keep DIR short.
set -euo pipefail
# useradd and runuser live in sbin, which a CI job's PATH may lack.
export PATH="$PATH:/usr/sbin:/sbin"
# Debian keeps each major version's programs apart, off the PATH: the newest.
bin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
[ -x "$bin/initdb" ] || { echo "$0: no PostgreSQL (scripts/install-deps.sh linux)" >&2; exit 1; }
user=morvex2-pg
command="${1:-}"
dir="${2:-}"
if [ -z "$dir" ] || [[ "$dir" != /* ]]; then
  echo "usage: $0 start|stop|halt /ABSOLUTE/DIR" >&2
  exit 2
fi

# As root, everything PostgreSQL runs as $user (made the first time); as
# anyone else, as that user.
as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  if ! id -u "$user" >/dev/null 2>&1; then
    # Two test runs starting together may both try; one making it is enough.
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user" \
      2>/dev/null || id -u "$user" >/dev/null
  fi
  as_owner=(runuser -u "$user" --)
fi

pg_ctl() { "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" "$@"; }

case "$command" in
  start)
    if [ ! -f "$dir/data/PG_VERSION" ]; then
      rm -rf "$dir"
      mkdir -p "$dir"
      chmod 700 "$dir"
      [ ${#as_owner[@]} -eq 0 ] || chown "$user" "$dir"
      "${as_owner[@]}" "$bin/initdb" -D "$dir/data" --no-sync --auth=trust --username=postgres \
        --encoding=UTF8 --locale=C >"$dir/initdb.log" 2>&1 ||
        { cat "$dir/initdb.log" >&2; exit 1; }
      # Loopback-free: only the socket in DIR. Enough connections for a few
      # server processes' pools beside the tests' own.
      cat >>"$dir/data/postgresql.conf" <<EOF
listen_addresses = ''
unix_socket_directories = '$dir'
max_connections = 100
shared_buffers = 32MB
log_min_messages = warning
EOF
    fi
    # Already running (a run interrupted before its stop, a start repeated):
    # kept as it is. A cluster whose postmaster was killed has only a stale pid
    # file, and the start recovers it.
    if pg_ctl status >/dev/null 2>&1; then
      :
    elif ! pg_ctl -l "$dir/postgres.log" -w -t 60 start >/dev/null; then
      cat "$dir/postgres.log" >&2
      exit 1
    fi
    conninfo="postgresql://postgres@/postgres?host=$dir"
    echo "$conninfo" >"$dir/conninfo"
    echo "$conninfo"
    ;;
  stop)
    if [ -f "$dir/data/postmaster.pid" ]; then
      pg_ctl -w -t 60 -m fast stop >/dev/null || true
    fi
    rm -rf "$dir"
    ;;
  halt)
    pg_ctl -w -t 60 -m immediate stop >/dev/null
    ;;
  *)
    echo "usage: $0 start|stop|halt /ABSOLUTE/DIR" >&2
    exit 2
    ;;
esac
