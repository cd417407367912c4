#include "server/health.h"

#include <string>

namespace server {

Answer Health(Store& store) {
  if (const std::string damage = store.Damage(); !damage.empty()) return StoreDamaged(damage);
  std::string why;
  if (store.Probe(&why) == StoreResult::kOk) return PlainAnswer(200, "ok\n", "text/plain");
  Answer away = StoreUnavailable();
  away = Refusal(
      away.status, away.code,
      "The tables' database cannot be read or written just now (" + why + "); try again shortly.",
      away.retryAfterS);
  return away;
}

Answer HealthCheck::Now() {
  std::unique_lock lock(mutex_);
  if (probing_) {
    const std::uint64_t underWay = probes_;
    ended_.wait(lock, [&] { return probes_ != underWay; });
    return last_;
  }
  probing_ = true;
  lock.unlock();
  Answer verdict;
  try {
    verdict = probe_();
  } catch (...) {
    // A probe that could not be made at all (the memory ran out) ends like
    // any other: those waiting on it are told the store is away, and the next
    // request probes anew. Left under way, every later /healthz would wait
    // on it for ever.
    End(StoreUnavailable());
    throw;
  }
  End(verdict);
  return verdict;
}

void HealthCheck::End(const Answer& verdict) {
  const std::lock_guard lock(mutex_);
  last_ = verdict;
  probing_ = false;
  ++probes_;
  ended_.notify_all();
}

}  // namespace server
