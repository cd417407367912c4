#include <emscripten.h>

#include "platform/base/clock.h"
#include "platform/base/files.h"
#include "platform/base/late_files.h"
#include "platform/base/whole_file.h"

namespace {

// The page (web/pre.js) fetches the file into `path`. 1 when it is there, 0
// while it is coming, -1 when it could not be fetched or the page fetches
// none.
// clang-format off
EM_JS(int, PageLateFile, (const char* name, const char* path), {
  return Module.morvex2LateFile ? Module.morvex2LateFile(UTF8ToString(name), UTF8ToString(path)) : -1;
});

EM_JS(int, PageTakeLateArrived, (), {
  var arrived = Module.morvex2LateArrived;
  Module.morvex2LateArrived = false;
  return arrived ? 1 : 0;
});
// clang-format on

// Each poll costs the page a task: a late file comes in a fraction of a
// second, so a few polls in a frame's time are enough.
constexpr std::int64_t kPollEveryNs = 10'000'000;
// Far more than any picture of the game.
constexpr std::size_t kLargestLateFile = std::size_t{4} * 1024 * 1024;

}  // namespace

namespace platform {

std::string LateFilePath(const std::string& name) {
  return "/morvex2/" + name;
}

LateFile AskForLateFile(const std::string& name) {
  const int state = PageLateFile(name.c_str(), LateFilePath(name).c_str());
  return state > 0 ? LateFile::kHere : state == 0 ? LateFile::kComing : LateFile::kNone;
}

// A file that failed while nobody waited for it is fetched once more.
std::optional<std::vector<std::uint8_t>> AwaitLateFile(
    const std::string& name, const std::function<bool(std::span<const std::uint8_t>)>& check) {
  LateFile state = AskForLateFile(name);
  if (state == LateFile::kNone) state = AskForLateFile(name);
  while (state == LateFile::kComing) {
    SleepUntilNs(MonotonicNs() + kPollEveryNs);
    state = AskForLateFile(name);
  }
  if (state != LateFile::kHere) return std::nullopt;
  std::optional<std::vector<std::uint8_t>> bytes =
      ReadSmallFile(LateFilePath(name), kLargestLateFile);
  if (bytes && check(*bytes)) return bytes;
  (void)RemoveFile(LateFilePath(name));
  return std::nullopt;
}

bool LateFilesArrived() {
  return PageTakeLateArrived() != 0;
}

}  // namespace platform
