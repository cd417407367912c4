#include "server/table_name.h"

#include <algorithm>
#include <cstdint>

#include "platform/base/shift_jis.h"

namespace server {
namespace {

// Spaces, plain or ideographic (U+3000, as a Japanese keyboard types them).
std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
  for (bool trimmed = true; trimmed;) {
    trimmed = false;
    if (text.starts_with(' ')) text.remove_prefix(1), trimmed = true;
    if (text.ends_with(' ')) text.remove_suffix(1), trimmed = true;
    if (text.starts_with(kIdeographicSpace)) text.remove_prefix(3), trimmed = true;
    if (text.ends_with(kIdeographicSpace)) text.remove_suffix(3), trimmed = true;
  }
  return text;
}

// C0, DEL, and C1 (U+0080 to U+009F, two bytes in UTF-8: C2 80 to C2 9F).
bool HasControlCharacter(std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(utf8[i]);
    if (byte < 0x20 || byte == 0x7F) return true;
    if (byte == 0xC2 && i + 1 < utf8.size()) {
      const auto next = static_cast<std::uint8_t>(utf8[i + 1]);
      if (next >= 0x80 && next <= 0x9F) return true;
    }
  }
  return false;
}

}  // namespace

std::optional<std::string> TableNameFromUtf8(std::string_view utf8, std::string* why) {
  const std::string_view name = Trimmed(utf8);
  if (name.empty()) {
    *why = "The name is empty.";
    return std::nullopt;
  }
  if (HasControlCharacter(name)) {
    *why = "The name has a control character.";
    return std::nullopt;
  }
  std::optional<std::string> shiftJis = platform::ShiftJisFromUtf8(name);
  if (!shiftJis) {
    *why = "The name is not UTF-8 or has a character the tables cannot hold (not in Shift-JIS).";
    return std::nullopt;
  }
  if (shiftJis->size() > kTableNameBytes) {
    *why = "The name is longer than the tables hold (16 bytes of Shift-JIS).";
    return std::nullopt;
  }
  return shiftJis;
}

}  // namespace server
