// An installed game carries every file it has: none comes late.
#include "platform/base/late_files.h"

namespace platform {

LateFile AskForLateFile(const std::string&) {
  return LateFile::kNone;
}

std::optional<std::vector<std::uint8_t>> AwaitLateFile(
    const std::string&, const std::function<bool(std::span<const std::uint8_t>)>&) {
  return std::nullopt;
}

bool LateFilesArrived() {
  return false;
}

}  // namespace platform
