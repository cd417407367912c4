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

}  // namespace server
