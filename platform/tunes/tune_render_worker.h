// Makes tunes' renderings in the cache on a thread of its own at the lowest
// priority, one after the other, so that neither the start nor a frame ever
// waits for the synthesiser or the decoder. The thread starts with the first request and ends when
// the worker is destroyed; a rendering under way is then abandoned and
// leaves no file behind.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "platform/tunes/tune_cache.h"

namespace platform {

// Writes one rendering into `out`, giving up once `cancel` is true; false
// when it could not, and `out` is then not finished.
using RenderingJob = std::function<bool(const std::atomic<bool>& cancel, CachedTuneWriter& out)>;

class TuneRenderWorker {
 public:
  TuneRenderWorker() = default;
  ~TuneRenderWorker();
  TuneRenderWorker(const TuneRenderWorker&) = delete;
  TuneRenderWorker& operator=(const TuneRenderWorker&) = delete;

  // Asks for the rendering that `job` makes at `cachePath`; asking again for
  // the same place is harmless.
  void Request(const std::string& cachePath, RenderingJob job);
  // True once the request for `cachePath` is over, whether or not it worked.
  bool Finished(const std::string& cachePath);
  // Waits until every request is over.
  void WaitUntilIdle();

 private:
  struct Job {
    std::string cachePath;
    RenderingJob make;
  };
  void Run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Job> queue_;
  std::set<std::string> asked_, finished_;
  bool busy_ = false;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace platform
