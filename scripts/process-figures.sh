#!/usr/bin/env bash
# What the measuring scripts read of a running process from /proc, the same
# way for the game and for the games it is measured beside. Sourced.

# cpu_ticks PID: utime + stime of the process, all its threads, in clock ticks.
cpu_ticks() {
  local stat rest
  stat="$(cat "/proc/$1/stat")"
  rest="${stat##*) }"
  read -r -a fields <<<"$rest"
  echo $(( fields[11] + fields[12] ))
}

# cpu_share PID SECONDS: the share of one core, in per cent, that the process
# used over the next SECONDS seconds. A clock tick is 1/CLK_TCK s, so over
# 20 s the share moves in steps of 0.05 %.
cpu_share() {
  local t0 c0 t1 c1 hz
  hz="$(getconf CLK_TCK)"
  t0="$EPOCHREALTIME"; c0="$(cpu_ticks "$1")"
  sleep "$2"
  t1="$EPOCHREALTIME"; c1="$(cpu_ticks "$1")"
  awk -v c=$((c1 - c0)) -v hz="$hz" -v t0="$t0" -v t1="$t1" \
    'BEGIN { printf "%.2f", 100 * c / hz / (t1 - t0) }'
}
