// The tables' JSON answers, kept for a moment. A public site's tables are read far more often
// than they change, and each answer made anew costs a query and a page of JSON. An answer is
// kept for a short life, so that entries made by the other processes over the same database
// show within it, and forgotten at once when this process enters an entry.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "server/answer.h"

namespace server {

class TableCache {
 public:
  using Clock = std::chrono::steady_clock;

  explicit TableCache(Clock::duration life) : life_(life) {}

  // The answer for `level` (the path's text): the kept one while it lives, else the one
  // `make` gives, kept when it is a table (200).
  Answer Get(std::string_view level, const std::function<Answer()>& make,
             Clock::time_point now = Clock::now());
  // Every kept answer goes: a table changed.
  void Forget();

 private:
  struct Kept {
    Answer answer;
    Clock::time_point until;
  };

  const Clock::duration life_;
  std::mutex mutex_;
  std::map<std::string, Kept, std::less<>> kept_;
  // Counts the changes: an answer made while a change was entered is not kept.
  std::uint64_t changes_ = 0;
};

}  // namespace server
