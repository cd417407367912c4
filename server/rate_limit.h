// How many requests that write (tickets, stamps, submissions) one client may
// make in a window of time. A client's address is kept only while its window
// lasts, and only in memory: nothing of it reaches the disk or the log.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace server {

class RateLimit {
 public:
  using Clock = std::chrono::steady_clock;

  // `perWindow` requests in each `window`; 0 lets every request through.
  RateLimit(int perWindow, std::chrono::seconds window) : perWindow_(perWindow), window_(window) {}

  // 0 when the request may go ahead; otherwise the whole seconds until the
  // client's window ends (at least 1), for Retry-After.
  int SecondsToWait(std::string_view address, Clock::time_point now = Clock::now());

 private:
  struct Window {
    Clock::time_point start;
    int count = 0;
  };
  void DropEndedWindows(Clock::time_point now);

  int perWindow_;
  std::chrono::seconds window_;
  mutable std::mutex mutex_;
  std::unordered_map<std::string, Window> windows_;
  Clock::time_point lastSweep_{};
};

// The part of an address that names one client: an IPv4 address whole, an
// IPv6 address's /64 (one household or one machine's many addresses).
std::string ClientKey(std::string_view address);

}  // namespace server
