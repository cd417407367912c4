// The log's lines for refused requests. A client that is refused again and
// again (past its rate limit, asking for files that are not there) would
// otherwise write a line per request: the first refusal of a kind from one
// address is logged, those like it within the next minute are only counted,
// and the count is logged with the next line of that kind after the minute,
// or when the minute's counts are swept. The address itself is never logged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace server {

class RefusalLog {
 public:
  // `line` describes the refusal; `kind` is what makes two refusals alike
  // (the route and the refusal's code).
  void Note(std::string_view address, std::string_view kind, std::string_view line,
            std::int64_t nowMs);

 private:
  struct Seen {
    std::int64_t loggedMs = 0;
    std::uint64_t since = 0;  // alike, not logged, since loggedMs
    std::string kind;
  };
  void Sweep(std::int64_t nowMs);

  std::mutex mutex_;
  std::unordered_map<std::string, Seen> seen_;
  std::int64_t sweptMs_ = 0;
};

}  // namespace server
