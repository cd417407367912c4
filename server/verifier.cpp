#include "server/verifier.h"

#include <chrono>

namespace server {

PlaybackResult Verifier::PlayBack(const Replay& replay) {
  const std::lock_guard lock(mutex_);
  const auto start = std::chrono::steady_clock::now();
  PlaybackResult result = PlayBackReplay(replay);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (metrics_ != nullptr) metrics_->ObserveVerification(took.count());
  return result;
}

}  // namespace server
