#include <emscripten.h>

#include "platform/base/clock.h"
#include "platform/base/late_files.h"
#include "platform/base/whole_file.h"

namespace {

// The page (web/pre.js) fetches the file into kFolder. 1 when it is there,
// 0 while it is coming, -1 when it could not be fetched or the page fetches
// none.
// clang-format off
EM_JS(int, PageLateFile, (const char* name), {
  return Module.morvex2LateFile ? Module.morvex2LateFile(UTF8ToString(name)) : -1;
});
// clang-format on

constexpr char kFolder[] = "/morvex2/late/";
// Each poll costs the page a task: a late file comes in a fraction of a
// second, so a few polls in a frame's time are enough.
constexpr std::int64_t kPollEveryNs = 10'000'000;
// Far more than any picture of the game.
constexpr std::size_t kLargestLateFile = std::size_t{4} * 1024 * 1024;

}  // namespace

namespace platform {

bool AskForLateFile(const std::string& name) {
  return PageLateFile(name.c_str()) >= 0;
}

std::optional<std::vector<std::uint8_t>> AwaitLateFile(const std::string& name) {
  int state = PageLateFile(name.c_str());
  while (state == 0) {
    SleepUntilNs(MonotonicNs() + kPollEveryNs);
    state = PageLateFile(name.c_str());
  }
  if (state < 0) return std::nullopt;
  return ReadSmallFile(kFolder + name, kLargestLateFile);
}

}  // namespace platform
