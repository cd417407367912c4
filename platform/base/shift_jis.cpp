#include "platform/base/shift_jis.h"

namespace platform {

std::size_t WholeShiftJisLength(std::string_view text, std::size_t limit) {
  std::size_t length = 0;
  while (length < text.size()) {
    const std::size_t size = IsShiftJisLeadByte(static_cast<std::uint8_t>(text[length])) ? 2 : 1;
    if (length + size > limit || length + size > text.size()) break;
    length += size;
  }
  return length;
}

}  // namespace platform
