#include "ranking/entry_date.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

constexpr char kWeekdays[] = "SunMonTueWedThuFriSat";
constexpr char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";

// Writes `digits` decimal digits of value, with leading zeros.
char* PutNumber(char* out, std::int64_t value, int digits) {
  for (int i = digits - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return out + digits;
}

char* PutName(char* out, const char* names, int index) {
  return std::copy_n(names + std::ptrdiff_t{3} * index, 3, out);
}

}  // namespace

std::array<char, kEntryDateLength + 1> FormatEntryDate(const std::tm& time) {
  std::array<char, kEntryDateLength + 1> text{};
  char* out = text.data();
  out = PutName(out, kWeekdays, std::clamp(time.tm_wday, 0, 6));
  *out++ = ' ';
  out = PutName(out, kMonths, std::clamp(time.tm_mon, 0, 11));
  *out++ = ' ';
  out = PutNumber(out, std::clamp(time.tm_mday, 0, 99), 2);
  *out++ = ' ';
  out = PutNumber(out, std::clamp(time.tm_hour, 0, 99), 2);
  *out++ = ':';
  out = PutNumber(out, std::clamp(time.tm_min, 0, 99), 2);
  *out++ = ':';
  out = PutNumber(out, std::clamp(time.tm_sec, 0, 99), 2);
  *out++ = ' ';
  const std::int64_t year = std::int64_t{time.tm_year} + 1900;
  out = PutNumber(out, std::clamp<std::int64_t>(year, 0, 9999), 4);
  *out = '\0';
  return text;
}
