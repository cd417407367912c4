#include "server/table_cache.h"

namespace server {

namespace {

// The levels' texts ("0", "1", "2" and the same with leading zeros) are few; more kept than
// this means hostile paths, and the cache starts again.
constexpr std::size_t kMostKept = 16;

}  // namespace

Answer TableCache::Get(std::string_view level, const std::function<Answer()>& make,
                       Clock::time_point now) {
  std::uint64_t changes = 0;
  {
    const std::lock_guard lock(mutex_);
    const auto kept = kept_.find(level);
    if (kept != kept_.end() && now < kept->second.until) return kept->second.answer;
    changes = changes_;
  }
  Answer answer = make();
  if (answer.status != 200) return answer;
  const std::lock_guard lock(mutex_);
  if (changes == changes_) {
    if (kept_.size() >= kMostKept) kept_.clear();
    kept_[std::string(level)] = {answer, now + life_};
  }
  return answer;
}

void TableCache::Forget() {
  const std::lock_guard lock(mutex_);
  ++changes_;
  kept_.clear();
}

}  // namespace server
