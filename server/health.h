// GET /healthz: whether the server can do its work now, which is to read the
// tables and to keep what it is given. A monitor, or the proxy in front of
// several servers, takes a server that cannot out of its turn.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>

#include "server/answer.h"
#include "server/store.h"

namespace server {

// 200 "ok" when the store reads and commits a write; otherwise 503 with the
// database's own words: damaged, or away (and a Retry-After).
Answer Health(Store& store);

// One probe of the store at a time, however many ask. Each probe costs the
// store a read and a write committed to the disk, and anyone may ask: without
// this, clients asking by the thousand keep the store busy with probes and
// every worker waiting behind them, and a table read queues behind those.
// A request that comes while a probe is under way is given that probe's
// verdict, which ends after the request came; the next request after it
// probes anew, so a failure is told at once.
class HealthCheck {
 public:
  explicit HealthCheck(std::function<Answer()> probe) : probe_(std::move(probe)) {}

  Answer Now();

 private:
  void End(const Answer& verdict);

  const std::function<Answer()> probe_;
  std::mutex mutex_;
  std::condition_variable ended_;
  bool probing_ = false;
  std::uint64_t probes_ = 0;  // probes ended
  Answer last_;
};

}  // namespace server
