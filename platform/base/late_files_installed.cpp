// An installed game carries every file it has: none comes late.
#include "platform/base/late_files.h"

namespace platform {

bool AskForLateFile(const std::string&) {
  return false;
}

std::optional<std::vector<std::uint8_t>> AwaitLateFile(const std::string&) {
  return std::nullopt;
}

}  // namespace platform
