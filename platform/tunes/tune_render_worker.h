// Renders tunes into the cache on a thread of its own at the lowest priority,
// one after the other, so that neither the start nor a frame ever waits for
// the synthesiser. The thread starts with the first request and ends when
// the worker is destroyed; a rendering under way is then abandoned and
// leaves no file behind.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace platform {

class TuneRenderWorker {
 public:
  explicit TuneRenderWorker(std::string soundFont);
  ~TuneRenderWorker();
  TuneRenderWorker(const TuneRenderWorker&) = delete;
  TuneRenderWorker& operator=(const TuneRenderWorker&) = delete;

  // Asks for the rendering of `midi` at `cachePath`; asking again is harmless.
  void Request(const std::string& cachePath, std::vector<std::uint8_t> midi);
  // True once the request for `cachePath` is over, whether or not it worked.
  bool Finished(const std::string& cachePath);
  // Waits until every request is over.
  void WaitUntilIdle();

 private:
  struct Job {
    std::string cachePath;
    std::vector<std::uint8_t> midi;
  };
  void Run();

  const std::string soundFont_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Job> queue_;
  std::set<std::string> asked_, finished_;
  bool busy_ = false;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace platform
