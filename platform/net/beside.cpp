#include "platform/net/beside.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/base/loop_wake.h"

namespace platform::net {

namespace {

struct Job {
  Work work;
  Work then;
};

struct Beside {
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<Job> queued;  // under mutex
  std::vector<Work> done;  // the `then`s of finished work, under mutex
  std::size_t inFlight = 0;
  bool stopping = false;  // under mutex
  std::thread worker;
};

Beside& Queue() {
  static Beside beside;
  return beside;
}

// Does the queued work, each piece without the lock. The worker thread waits
// for more until it is stopped; without a thread, the work there is now is
// done and no more.
void DoQueuedWork(bool waitForMore) {
  Beside& beside = Queue();
  std::unique_lock lock(beside.mutex);
  for (;;) {
    if (waitForMore) {
      beside.wake.wait(lock, [&] { return beside.stopping || !beside.queued.empty(); });
    }
    if (beside.queued.empty()) return;
    Job job = std::move(beside.queued.front());
    beside.queued.pop_front();
    lock.unlock();
    if (job.work) job.work();
    lock.lock();
    beside.done.push_back(std::move(job.then));
    WakeLoop();
  }
}

}  // namespace

void RunBeside(Work work, Work then) {
  Beside& beside = Queue();
  {
    const std::lock_guard lock(beside.mutex);
    beside.queued.push_back({std::move(work), std::move(then)});
    ++beside.inFlight;
  }
  beside.wake.notify_one();
}

void StartWorkerThread() {
#ifndef __EMSCRIPTEN__
  // A page has one thread; its work is done between two messages instead.
  Beside& beside = Queue();
  if (beside.worker.joinable()) return;
  beside.stopping = false;
  beside.worker = std::thread(&DoQueuedWork, true);
#endif
}

void StopWorkerThread() {
  Beside& beside = Queue();
  if (beside.worker.joinable()) {
    {
      const std::lock_guard lock(beside.mutex);
      beside.stopping = true;
    }
    beside.wake.notify_one();
    beside.worker.join();
  } else {
    DoQueuedWork(false);
  }
  const std::lock_guard lock(beside.mutex);
  beside.done.clear();
  beside.inFlight = 0;
  beside.stopping = false;
}

bool BesideWorkWaiting() {
  Beside& beside = Queue();
  const std::lock_guard lock(beside.mutex);
  return !beside.done.empty() || (!beside.worker.joinable() && !beside.queued.empty());
}

bool DeliverBesideWork() {
  Beside& beside = Queue();
  if (!beside.worker.joinable()) DoQueuedWork(false);
  std::vector<Work> done;
  {
    const std::lock_guard lock(beside.mutex);
    done.swap(beside.done);
    beside.inFlight -= done.size();
  }
  // A `then` may give more work: it is queued for the next handing-out.
  for (Work& then : done) {
    if (then) then();
  }
  return !done.empty();
}

std::size_t BesideWorkInFlight() {
  Beside& beside = Queue();
  const std::lock_guard lock(beside.mutex);
  return beside.inFlight;
}

}  // namespace platform::net
