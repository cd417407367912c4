#include "platform/base/shift_jis.h"

namespace platform {

std::string DecodeShiftJis(std::string_view text, const DecodeShiftJisCode& decodeOne) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const bool lead = IsShiftJisLeadByte(static_cast<std::uint8_t>(text[at]));
    const std::size_t size = lead && at + 1 < text.size() ? 2 : 1;
    if (const std::optional<std::string> character = decodeOne(text.substr(at, size))) {
      out += *character;
      at += size;
    } else {
      out.push_back('?');
      ++at;
    }
  }
  return out;
}

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
