#include "ranking/decimal_text.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace {

bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// 10^digits - 1, the largest number with that many digits.
std::int64_t AllNines(std::size_t digits) {
  std::int64_t value = 0;
  for (std::size_t i = 0; i < digits && value < std::numeric_limits<std::int32_t>::max(); ++i) {
    value = value * 10 + 9;
  }
  return value;
}

}  // namespace

std::optional<std::int32_t> ParseDecimal(const char* text, std::size_t size) {
  std::size_t i = 0;
  auto more = [&] { return i < size && text[i] != '\0'; };
  while (more() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (more() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (!more() || !IsDigit(text[i])) return std::nullopt;
  // Accumulated in 64 bits and held just past the 32-bit range, so no digit
  // string, however long, can overflow.
  constexpr std::int64_t kCap = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; more() && IsDigit(text[i]); ++i) {
    magnitude = std::min(kCap, magnitude * 10 + (text[i] - '0'));
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int32_t FormatDecimal(std::int32_t value, char* field, std::size_t width) {
  if (width == 0) {
    field[0] = '\0';
    return 0;
  }
  const std::int64_t largest = AllNines(width);
  const std::int64_t smallest = -AllNines(width - 1);
  const auto held = static_cast<std::int32_t>(std::clamp<std::int64_t>(value, smallest, largest));
  char text[16];
  const auto result = std::to_chars(text, text + sizeof text, held);
  const auto length = static_cast<std::size_t>(result.ptr - text);
  std::copy(text, result.ptr, field);
  field[length] = '\0';
  return held;
}
