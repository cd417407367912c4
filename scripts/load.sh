#!/usr/bin/env bash
# Load on one morvex2-server process, over each store: table reads with wrk, a bounded
# submission load (with one client reading beside it: the playback must not hold the reads
# up) and a burst of submissions at once with bench/world_load; the burst's answers are then
# checked against what the store holds. Then, on the embedded store, ten thousand idle or slow
# connections held open (scripts/hold_connections.py) while one normal client reads, each of
# its requests timed (scripts/latency_probe.py). Not a test: the figures depend on the machine and on what else runs on it (the load average is
# printed before each part). The server's memory is printed at rest and at its peak.
#
# Usage: scripts/load.sh [sqlite|postgresql|both|connections|all]   (default: all)
# Environment: SUBMISSIONS (2000), CLIENTS (8), BURST (1000), READ_SECONDS (15),
#              READ_CONNECTIONS (32), HELD (10000), HOLD_SECONDS (40)
#
# The stores keep their durable settings: SQLite in WAL mode with synchronous=FULL,
# PostgreSQL with fsync, synchronous_commit and full_page_writes on (tests/server/postgres.sh
# starts it), each answer "accepted" given only once its entry is on disk.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
stores="${1:-all}"
submissions="${SUBMISSIONS:-2000}"
clients="${CLIENTS:-8}"
burst="${BURST:-1000}"
read_seconds="${READ_SECONDS:-15}"
read_connections="${READ_CONNECTIONS:-32}"
held="${HELD:-10000}"
hold_seconds="${HOLD_SECONDS:-40}"
connections=no
case "$stores" in
  all) stores="sqlite postgresql"; connections=yes ;;
  both) stores="sqlite postgresql" ;;
  connections) stores=""; connections=yes ;;
  sqlite | postgresql) ;;
  *) echo "usage: $0 [sqlite|postgresql|both|connections|all]" >&2; exit 2 ;;
esac
command -v wrk >/dev/null || { echo "wrk is missing: scripts/install-deps.sh linux" >&2; exit 1; }

"$root/scripts/build.sh" release morvex2-server world_load >/dev/null
server_bin="$root/build/release/server/morvex2-server"
load_bin="$root/build/release/bench/world_load"
[ -x "$server_bin" ] || server_bin="$(find "$root/build/release" -name morvex2-server -type f | head -1)"

work="$(mktemp -d /tmp/morvex2-load.XXXXXX)"
server_pid=""
pg_dir=""
cleanup() {
  [ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null || true
  [ -z "$server_pid" ] || wait "$server_pid" 2>/dev/null || true
  [ -z "$pg_dir" ] || "$root/tests/server/postgres.sh" stop "$pg_dir" || true
  rm -rf "$work"
}
trap cleanup EXIT

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}
load() { printf '   (load average: %s)\n' "$(cut -d' ' -f1-3 /proc/loadavg)"; }
memory() {
  printf '   server memory: %s now, %s at its peak\n' \
    "$(awk '/^VmRSS/ { print $2 " " $3 }' "/proc/$server_pid/status")" \
    "$(awk '/^VmHWM/ { print $2 " " $3 }' "/proc/$server_pid/status")"
}
# Starts the server with the store's arguments and waits until it answers.
start_server() {
  port="$(free_port)"
  "$server_bin" --listen "127.0.0.1:$port" "$@" >"$work/server.log" 2>&1 &
  server_pid=$!
  for _ in $(seq 300); do
    curl -fs "http://127.0.0.1:$port/healthz" >/dev/null 2>&1 && break
    sleep 0.1
  done
}
stop_server() {
  kill "$server_pid"
  wait "$server_pid" 2>/dev/null || true
  server_pid=""
}

for store in $stores; do
  echo "== $store"
  port="$(free_port)"
  if [ "$store" = sqlite ]; then
    mkdir -p "$work/data"
    store_args=(--data "$work/data")
    count_entries() { sqlite3 "$(find "$work/data" -name '*.sqlite*' ! -name '*-wal' ! -name '*-shm' | head -1)" 'SELECT count(*) FROM entries'; }
  else
    # Beside the work folder, not in it: the cluster's owner must reach it.
    pg_dir="$(mktemp -d /tmp/morvex2-pg.XXXXXX)"
    url="$("$root/tests/server/postgres.sh" start "$pg_dir")"
    store_args=(--database "$url")
    count_entries() { psql -qtA "$url" -c 'SELECT count(*) FROM entries'; }
  fi
  # Every request comes from this one address: no rate limit and no cap on its
  # connections or its open tickets (a deployment's clients come from many). The server's clock is
  # the load program's, which stamps games five minutes long without waiting
  # for them.
  export MORVEX2_SERVER_TEST_CLOCK="$work/clock"
  echo 1796000000000 > "$MORVEX2_SERVER_TEST_CLOCK"
  start_server --rate-limit 0 --connections-per-address 0 --open-tickets-per-address 0 \
    "${store_args[@]}"

  echo "-- a table of 150 entries to read"
  load
  "$load_bin" "$port" submit 150 4 | sed 's/^/   /'
  echo "-- reads: wrk, $read_connections connections, ${read_seconds}s, GET /api/v1/tables/1"
  load
  wrk -t2 -c"$read_connections" -d"${read_seconds}s" --latency \
    "http://127.0.0.1:$port/api/v1/tables/1" | sed 's/^/   /'
  memory
  echo "-- submissions: $submissions from $clients clients, and one client reading beside them"
  load
  wrk -t1 -c1 -d"${read_seconds}s" --latency "http://127.0.0.1:$port/api/v1/tables/1" \
    >"$work/beside.txt" &
  beside=$!
  "$load_bin" "$port" submit "$submissions" "$clients" | sed 's/^/   /'
  kill -INT "$beside" 2>/dev/null || true
  wait "$beside" 2>/dev/null || true
  echo "   the reader beside them:"
  grep -E 'Requests/sec|^ +(50|99)%' "$work/beside.txt" | sed 's/^ */      /'
  echo "-- burst: $burst submissions at once"
  load
  before="$(count_entries)"
  "$load_bin" "$port" burst "$burst" >"$work/burst.txt" || { cat "$work/burst.txt"; exit 1; }
  sed 's/^/   /' "$work/burst.txt"
  after="$(count_entries)"
  accepted="$(awk '/^accepted / { print $2 }' "$work/burst.txt")"
  if [ $((after - before)) -eq "$accepted" ]; then
    echo "   the store holds exactly the $accepted accepted ($before -> $after entries)"
  else
    echo "   MISMATCH: $accepted accepted, the store went from $before to $after entries"
    exit 1
  fi
  memory
  stop_server
  if [ -n "$pg_dir" ]; then
    "$root/tests/server/postgres.sh" stop "$pg_dir"
    pg_dir=""
  fi
done

if [ "$connections" = yes ]; then
  echo "== $held idle or slow connections"
  mkdir -p "$work/held"
  # Spread over many loopback addresses, so the cap per address stays the default.
  start_server --rate-limit 0 --data "$work/held"
  "$load_bin" "$port" submit 150 4 >/dev/null
  memory
  python3 "$root/scripts/hold_connections.py" "$port" "$held" "$hold_seconds" \
    >"$work/hold.txt" &
  holder=$!
  # Until every connection is open (the first are cut off at the request deadline, 10 s).
  sleep 7
  echo "   the server has $(find "/proc/$server_pid/fd" -type l | wc -l) descriptors open"
  for mode in keep-alive close; do
    echo "-- one client reading beside them, connection: $mode"
    load
    python3 "$root/scripts/latency_probe.py" "$port" 10 "$mode"
  done
  wait "$holder"
  sed 's/^/   /' "$work/hold.txt"
  memory
  stop_server
fi
