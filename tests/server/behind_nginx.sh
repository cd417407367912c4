#!/usr/bin/env bash
# The world tables as a public site hosts them: Debian's nginx, run
# unprivileged on the configuration shipped with the server (a self-signed
# certificate of the test's own, the test's ports), in front of two
# morvex2-server processes over one PostgreSQL database (two others take
# their place for the third part), each believing nginx alone about the
# player's address (--trusted-proxy 127.0.0.1).
# Through nginx, over https:
#   1. two players on their own addresses (127.0.0.2 and 127.0.0.3): one who
#      uses up the rate limit is refused, with the reason, and the other is not;
#   2. the real game plays a ranked game, trusting the site's certificate
#      through SSL_CERT_FILE, and its entry is read back (xvfb_world.sh);
#   3. one server is killed (SIGKILL) in the middle of a run of submissions:
#      every game answered "accepted" is in the database afterwards.
# Usage: behind_nginx.sh SOURCE_DIR BUILD_DIR SCREENSHOT_DIR SERVER_PROGRAM LOAD_PROGRAM
# MORVEX2_TEST_POSTGRES names the socket folder of the tests' PostgreSQL.
set -euo pipefail
src="$1"
build="$2"
shots="$3"
server_program="$4"
load_program="$5"
. "$src/tests/server/nginx_site.sh"
. "$src/tests/smoke/xvfb_lib.sh"
cluster="${MORVEX2_TEST_POSTGRES:?the tests PostgreSQL (run through ctest)}"

# Each server's writes in a minute from one player, while the game plays:
# the game needs a dozen or so, spread over both servers.
rate_limit=20
# The submissions during which a server is killed, and how many of them
# have been accepted, by the two servers in turn, when it is.
games=400
accepted_before_kill=20

work="$(mktemp -d)"
site="$(mktemp -d)"
database="behind_nginx_$$"
admin_url="postgresql://postgres@/postgres?host=$cluster"
db_url="postgresql://postgres@/$database?host=$cluster"
# Servers 0 and 1 serve the players; 2 and 3 take their place for the
# submissions.
pids=("" "" "" "")
ports=(0 0 0 0)
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  if [ -s "$site/nginx.pid" ]; then
    local nginx_pid
    nginx_pid="$(cat "$site/nginx.pid")"
    kill "$nginx_pid" 2>/dev/null || true
    wait_for 10 bash -c "! kill -0 $nginx_pid" || true
  fi
  psql -qtA "$admin_url" -c "DROP DATABASE IF EXISTS $database WITH (FORCE)" >/dev/null 2>&1 || true
  rm -rf "$work" "$site"
}
trap cleanup EXIT

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

# start_server I DRAWS OPTION...: server I on the database, on a free port
# that it takes itself (no other program can take it first), its lines in
# $work/server-I.log.
start_server() {
  local i="$1" draws="$2"
  shift 2
  local log="$work/server-$i.log"
  MORVEX2_SERVER_TEST_DRAWS="$draws" "$server_program" --listen 127.0.0.1:0 \
    --database "$db_url" --trusted-proxy 127.0.0.1 "$@" >"$log" 2>&1 &
  pids[i]=$!
  wait_for 30 grep -q '^listening on 127.0.0.1:' "$log" || { cat "$log"; fail "server $i did not start"; }
  ports[i]="$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$log" | head -n 1)"
  if ! wait_for 30 curl -sf -m 5 "http://127.0.0.1:${ports[$i]}/healthz"; then
    curl -sv -m 5 -w ' (%{http_code})\n' "http://127.0.0.1:${ports[$i]}/healthz" 2>&1 || true
    cat "$log"
    if kill -0 "${pids[$i]}" 2>/dev/null; then
      grep -E '^(State|Threads)' "/proc/${pids[$i]}/status" || true
    else
      local status=0
      wait "${pids[$i]}" || status=$?
      echo "server $i ended, status $status"
    fi
    ss -tanpe "( sport = :${ports[$i]} or dport = :${ports[$i]} )" || true
    uptime
    fail "server $i does not answer"
  fi
}

# stop_server I: server I stopped as systemd stops it.
stop_server() {
  kill "${pids[$1]}" 2>/dev/null || true
  wait "${pids[$1]}" 2>/dev/null || true
  pids[$1]=""
}

# workers_renewed MASTER OLD: nginx's master MASTER has workers, and none of
# them is among OLD (process ids, one a line).
workers_renewed() {
  local now
  now="$(pgrep -P "$1" | sort)"
  [ -n "$now" ] && [ -z "$(comm -12 <(echo "$2") <(echo "$now"))" ]
}

# pass_to FROM... TO...: nginx passes to the servers on ports TO... in place
# of those on FROM... (as many of each), as an operator who moves the site to new
# processes does: the configuration changed and reloaded, with no moment
# where the site is down. Returns once every worker that serves has read it.
pass_to() {
  local count=$(($# / 2)) edits=() k
  for ((k = 1; k <= count; k++)); do
    edits+=(-e "s|server 127.0.0.1:${!k} |server 127.0.0.1:${@:k+count:1} |")
  done
  sed -i "${edits[@]}" "$site/site.conf"
  local master old
  master="$(cat "$site/nginx.pid")"
  old="$(pgrep -P "$master" | sort)"
  nginx_in "$site" -s reload
  wait_for 30 workers_renewed "$master" "$old" ||
    { cat "$site/logs/error.log"; fail "nginx did not take up its new servers"; }
}

psql -qtA "$admin_url" -c "CREATE DATABASE $database" >/dev/null
start_server 0 1 --rate-limit "$rate_limit"
start_server 1 2 --rate-limit "$rate_limit"

https_port="$(free_port)"
nginx_site "$src/data/morvex2-server-nginx.conf" "$site" "$https_port" "$(free_port)" \
  "${ports[0]}" "${ports[1]}"
nginx_in "$site" || { cat "$site/logs/error.log"; fail "nginx did not start"; }
url="https://127.0.0.1:$https_port"
# Every client here trusts the site's own certificate, as a player on a LAN
# with its own authority does: the game and the load program (OpenSSL) through
# SSL_CERT_FILE, the curl tool through its own CURL_CA_BUNDLE.
export SSL_CERT_FILE="$site/cert.pem" CURL_CA_BUNDLE="$site/cert.pem"
wait_for 20 curl -sf "$url/healthz" || { cat "$site/logs/error.log"; fail "nginx does not answer"; }

# --- each player's own rate limit
# write_from ADDRESS: a ticket asked for from ADDRESS through nginx; prints the
# status, the answer kept in $work/head and $work/body.
write_from() {
  curl -s --interface "$1" -D "$work/head" -o "$work/body" -w '%{http_code}' \
    -H 'Content-Type: application/json' -d '{"level":0}' "$url/api/v1/tickets"
}
# nginx passes the requests to the two servers in turn, each counting the
# player on its own: the first refusal comes when both have let through
# their whole limit.
writes=0
status=201
while [ "$status" = 201 ] && [ "$writes" -le $((2 * rate_limit)) ]; do
  status="$(write_from 127.0.0.2)"
  writes=$((writes + 1))
done
[ "$status" = 429 ] || fail "127.0.0.2's write $writes was answered $status, not 429"
[ "$writes" -eq $((2 * rate_limit + 1)) ] ||
  fail "127.0.0.2 was refused at its write $writes, not after the $((2 * rate_limit)) both servers allow"
grep -q '"code":"rate-limited"' "$work/body" || { cat "$work/body"; fail "the 429 does not say why"; }
grep -qi '^retry-after: [1-9]' "$work/head" || { cat "$work/head"; fail "the 429 has no Retry-After"; }
status="$(write_from 127.0.0.2)"
[ "$status" = 429 ] || fail "the second server let 127.0.0.2 write past its limit ($status)"
for _ in 1 2; do
  status="$(write_from 127.0.0.3)"
  [ "$status" = 201 ] || { cat "$work/body"; fail "127.0.0.3 was refused ($status) for 127.0.0.2's writes"; }
done
echo "rate limit: 127.0.0.2 refused 429 rate-limited after $((writes - 1)) writes; 127.0.0.3 still served"

# --- a ranked game of the real game, over https
"$src/tests/smoke/xvfb_world.sh" "$src" "$build" "$shots" "$server_program" "$url" \
  "http://127.0.0.1:${ports[0]}" "http://127.0.0.1:${ports[1]}"

# --- a server killed among submissions
# The load program's games are five minutes long on the servers' clock,
# which it moves itself; two new servers take the players' place, without a
# rate limit or a cap on open tickets, since every submission comes from this
# one address. They take new ports: one given up and asked for again could be
# taken meanwhile by any program of the machine.
export MORVEX2_SERVER_TEST_CLOCK="$work/clock"
echo 1796000000000 >"$MORVEX2_SERVER_TEST_CLOCK"
start_server 2 3 --rate-limit 0 --open-tickets-per-address 0
start_server 3 4 --rate-limit 0 --open-tickets-per-address 0
pass_to "${ports[0]}" "${ports[1]}" "${ports[2]}" "${ports[3]}"
stop_server 0
stop_server 1
# The load program kills server 2 itself, as the answer that makes
# $accepted_before_kill accepted comes in, with its other clients' games on
# their way: the submissions take a fraction of a second, and a kill timed
# from here could come after the last of them on a busy machine.
status=0
"$load_program" --accepted "$work/accepted" --kill-after "$accepted_before_kill" "${pids[2]}" \
  "$url" submit "$games" 16 >"$work/load.txt" 2>&1 || status=$?
sed 's/^/  /' "$work/load.txt"
server_status=0
wait "${pids[2]}" 2>/dev/null || server_status=$?
pids[2]=""
[ "$server_status" -eq 137 ] || fail "server 2 was not killed among the submissions (status $server_status)"
[ "$status" -eq 0 ] || fail "a submission went unanswered, or a refusal without its reason (status $status)"
accepted="$(sed -n 's/^accepted \([0-9]*\)$/\1/p' "$work/load.txt")"
[ "$accepted" -gt "$accepted_before_kill" ] && [ "$(wc -l <"$work/accepted")" -eq "$accepted" ] ||
  fail "the load program's accepted games ($accepted) are not the ones it listed"
psql -qtA "$db_url" -c 'SELECT ticket_id FROM entries' | sort >"$work/stored"
sort "$work/accepted" >"$work/accepted.sorted"
lost="$(comm -23 "$work/accepted.sorted" "$work/stored" | wc -l)"
[ "$lost" -eq 0 ] || fail "$lost of the $accepted games answered \"accepted\" are not in the database"
echo "server killed among $games submissions: all $accepted answered \"accepted\" are in the database"
echo "behind nginx: passed"
