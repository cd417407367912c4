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

# thread_times PID: a line for each thread now: its id, nanoseconds on a
# CPU (the scheduler's own count, where the kernel keeps it), context
# switches it asked for (its wake-ups: each sleep ends in one) and its name.
thread_times() {
  local task ns switches
  for task in "/proc/$1/task/"*; do
    read -r ns _ <"$task/schedstat" 2>/dev/null || continue
    switches="$(awk '/^voluntary_ctxt_switches:/ { print $2 }' "$task/status" 2>/dev/null)"
    echo "${task##*/} $ns ${switches:-0} $(cat "$task/comm" 2>/dev/null)"
  done
}

# cpu_window PID SECONDS: the share of one core, in per cent, that the process
# used over the next SECONDS seconds, as one line of three fields:
#   - from the clock ticks of /proc/PID/stat (1/CLK_TCK s each, so over 20 s
#     the share moves in steps of 0.05 %), what the goals were set against;
#   - from the scheduler's nanoseconds, summed over the threads alive at both
#     ends of the window ("-" where the kernel keeps none);
#   - by thread name, each "name:share%/wake-ups a second", joined with ",".
cpu_window() {
  local t0 c0 t1 c1 hz before
  hz="$(getconf CLK_TCK)"
  before="$(thread_times "$1")"
  t0="$EPOCHREALTIME"; c0="$(cpu_ticks "$1")"
  sleep "$2"
  t1="$EPOCHREALTIME"; c1="$(cpu_ticks "$1")"
  { echo "$before"; echo "--"; thread_times "$1"; } |
    awk -v c=$((c1 - c0)) -v hz="$hz" -v t0="$t0" -v t1="$t1" '
      $0 == "--" { after = 1; next }
      !after { ns[$1] = $2; sw[$1] = $3; next }
      ($1 in ns) {
        name = $4; for (i = 5; i <= NF; i++) name = name "_" $i
        if (!(name in byNs)) names[++count] = name
        byNs[name] += $2 - ns[$1]; bySw[name] += $3 - sw[$1]; total += $2 - ns[$1]
        if ($2 > 0) kept = 1
      }
      END {
        span = t1 - t0
        detail = ""
        for (i = 1; i <= count; i++) {
          n = names[i]
          detail = detail (i > 1 ? "," : "") sprintf("%s:%.3f%%/%.1f", n, 100 * byNs[n] / 1e9 / span, bySw[n] / span)
        }
        printf "%.2f %s %s\n", 100 * c / hz / span,
          kept ? sprintf("%.3f", 100 * total / 1e9 / span) : "-", detail == "" ? "-" : detail
      }'
}

# cpu_ns PID: the nanoseconds the process has spent on a CPU so far, all its
# threads (the scheduler's count; 0 where the kernel keeps none).
cpu_ns() {
  thread_times "$1" | awk '{ s += $2 } END { print s + 0 }'
}
