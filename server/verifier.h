// Plays submitted games back, one at a time: the play screen keeps its state
// in the program's globals, so the server's threads take turns (a mutex), and
// each game's playback time goes to the metrics.
#pragma once

#include <mutex>

#include "core/replay_file.h"
#include "server/metrics.h"
#include "verify/replay_playback.h"

namespace server {

class Verifier {
 public:
  explicit Verifier(Metrics* metrics) : metrics_(metrics) {}
  PlaybackResult PlayBack(const Replay& replay);

 private:
  std::mutex mutex_;
  Metrics* metrics_;  // may be null
};

}  // namespace server
