#!/usr/bin/env python3
"""One client reading a morvex2-server table over and over, each request timed.

Usage: latency_probe.py PORT SECONDS keep-alive|close [PATH]

Requests go one after another on one connection (keep-alive), or each on a new
one (close), for SECONDS; prints how many were answered, the latency's median,
p99, p99.9 and maximum, and how many took over 50 ms. Every request's own time
is kept: wrk's latency figures for one connection read here as more time in
requests than the run lasted (a mean of 1.25 ms at 8,300 requests a second),
so they cannot be taken as each request's wait.
"""
import http.client
import sys
import time


def main():
    port, seconds, mode = int(sys.argv[1]), float(sys.argv[2]), sys.argv[3]
    path = sys.argv[4] if len(sys.argv) > 4 else "/api/v1/tables/1"
    waits = []
    failed = 0
    connection = None
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        start = time.monotonic()
        try:
            if connection is None:
                connection = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
            connection.request("GET", path, headers={"Connection": mode})
            answer = connection.getresponse()
            answer.read()
            if answer.status != 200:
                failed += 1
        except OSError:
            failed += 1
            connection = None
            continue
        if mode == "close":
            connection.close()
            connection = None
        waits.append(time.monotonic() - start)
    waits.sort()
    count = len(waits)
    if not count:
        print("   no request was answered")
        return 1
    at = lambda share: waits[min(count - 1, int(count * share))] * 1000
    print("   %d answered (%d failed); latency p50 %.2f ms, p99 %.2f ms, p99.9 %.2f ms, max %.2f ms; "
          "%d over 50 ms" % (count, failed, at(0.5), at(0.99), at(0.999), waits[-1] * 1000,
                             sum(1 for wait in waits if wait > 0.05)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
