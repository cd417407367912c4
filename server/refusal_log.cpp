#include "server/refusal_log.h"

#include "server/rate_limit.h"
#include "server/server_log.h"

namespace server {

namespace {

constexpr std::int64_t kMinuteMs = 60'000;
// Beyond this many addresses and kinds held at once (an attack from many
// addresses), the minute's counts are swept early.
constexpr std::size_t kMostHeld = 10'000;

std::string Alike(std::uint64_t count, std::string_view kind) {
  return std::to_string(count) + " more refused like it (" + std::string(kind) +
         ") from one address in the minute after";
}

}  // namespace

void RefusalLog::Note(std::string_view address, std::string_view kind, std::string_view line,
                      std::int64_t nowMs) {
  const std::lock_guard lock(mutex_);
  if (nowMs - sweptMs_ >= kMinuteMs || seen_.size() >= kMostHeld) Sweep(nowMs);
  std::string key = ClientKey(address);
  key.append(1, '\n').append(kind);
  const auto found = seen_.find(key);
  if (found != seen_.end() && nowMs - found->second.loggedMs < kMinuteMs) {
    ++found->second.since;
    return;
  }
  std::string text(line);
  if (found != seen_.end() && found->second.since > 0) {
    text += " (" + Alike(found->second.since, kind) + " the last such line)";
  }
  LogLine(text);
  seen_[key] = {.loggedMs = nowMs, .since = 0, .kind = std::string(kind)};
}

// Every address whose minute has passed (all of them, when too many are
// held) is forgotten, its count logged first.
void RefusalLog::Sweep(std::int64_t nowMs) {
  sweptMs_ = nowMs;
  const bool full = seen_.size() >= kMostHeld;
  std::erase_if(seen_, [&](const auto& held) {
    const Seen& seen = held.second;
    const bool over = full || nowMs - seen.loggedMs >= kMinuteMs;
    if (over && seen.since > 0) LogLine(Alike(seen.since, seen.kind) + " its first was logged");
    return over;
  });
}

}  // namespace server
