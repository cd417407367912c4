// The game's texts are Shift-JIS (code page 932), as the original's were;
// the desktop around it speaks UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// 0x81-0x9F and 0xE0-0xFC start a two-byte character; every other byte
// stands alone.
constexpr bool IsShiftJisLeadByte(std::uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The text as UTF-8. Undecodable bytes become '?', so that a broken text still
// says something; null is the empty text.
std::string Utf8FromShiftJis(const char* text);

// The UTF-8 text in Shift-JIS; nothing when it is not UTF-8 or holds a
// character that code page 932 does not have.
std::optional<std::string> ShiftJisFromUtf8(std::string_view text);

// The UTF-8 of the one character that `code` (one or two bytes) stands for,
// or nothing when it stands for none: one system's converter.
using DecodeShiftJisCode = std::function<std::optional<std::string>(std::string_view code)>;

// The text as UTF-8, a character at a time, so that an undecodable byte
// becomes one '?' and the rest of the text still comes through from the byte
// after it.
std::string DecodeShiftJis(std::string_view text, const DecodeShiftJisCode& decodeOne);

// How many of the first bytes of the Shift-JIS `text`, at most `limit`, hold
// whole characters: a two-byte character that does not fit is left out whole.
std::size_t WholeShiftJisLength(std::string_view text, std::size_t limit);

}  // namespace platform
