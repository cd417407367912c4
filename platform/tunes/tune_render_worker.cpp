#include "platform/tunes/tune_render_worker.h"

#include <cerrno>
#include <utility>

#include "platform/base/log.h"
#include "platform/tunes/thread_priority.h"

namespace platform {

TuneRenderWorker::~TuneRenderWorker() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void TuneRenderWorker::Request(const std::string& cachePath, RenderingJob job) {
  {
    std::lock_guard lock(mutex_);
    if (!asked_.insert(cachePath).second) return;
    queue_.push_back(Job{cachePath, std::move(job)});
    if (!thread_.joinable()) thread_ = std::thread(&TuneRenderWorker::Run, this);
  }
  changed_.notify_all();
}

bool TuneRenderWorker::Finished(const std::string& cachePath) {
  std::lock_guard lock(mutex_);
  return finished_.contains(cachePath);
}

void TuneRenderWorker::WaitUntilIdle() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

void TuneRenderWorker::Run() {
  LowerThisThreadsPriority();
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      job = std::move(queue_.front());
      queue_.pop_front();
      busy_ = true;
    }
    {
      // Abandoned unfinished, the file being written is removed.
      CachedTuneWriter rendering(job.cachePath);
      if (job.make(stopping_, rendering) && !stopping_ && !rendering.Finish()) {
        LogErrno("keeping a tune's rendering in " + job.cachePath, errno);
      }
    }
    {
      std::lock_guard lock(mutex_);
      finished_.insert(job.cachePath);
      busy_ = false;
    }
    changed_.notify_all();
  }
}

}  // namespace platform
