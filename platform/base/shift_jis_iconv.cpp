// Code page 932 through the C library's iconv, which knows it by that name.
// The browser's C library (musl) knows only plain Shift-JIS, whose bytes are
// code page 932's for every character but the latter's additions.
#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <utility>

#include "platform/base/shift_jis.h"

namespace platform {

namespace {

iconv_t OpenShiftJis(const char* to, const char* from) {
  const bool toShiftJis = std::strcmp(to, "CP932") == 0;
  iconv_t cd = iconv_open(to, from);
  // iconv_open says it failed with this one value, cast from -1.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  if (cd != reinterpret_cast<iconv_t>(-1)) return cd;
  return toShiftJis ? iconv_open("SHIFT_JIS", from) : iconv_open(to, "SHIFT_JIS");
}

// One character's Shift-JIS bytes decoded, or nothing when they are none.
std::optional<std::string> DecodeOne(iconv_t cd, std::string code) {
  char* in = code.data();
  std::size_t inLeft = code.size();
  char buffer[8];
  char* outPtr = buffer;
  std::size_t outLeft = sizeof buffer;
  if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
    return std::nullopt;
  }
  return std::string(buffer, static_cast<std::size_t>(outPtr - buffer));
}

// Every Shift-JIS code the C library decodes, by the UTF-8 it decodes to.
std::map<std::string, std::string> DecodedCodes() {
  std::map<std::string, std::string> codes;
  iconv_t cd = OpenShiftJis("UTF-8", "CP932");
  // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open's one failure value
  if (cd == reinterpret_cast<iconv_t>(-1)) return codes;
  const auto add = [&](std::string code) {
    if (auto utf8 = DecodeOne(cd, code)) codes.emplace(*utf8, std::move(code));
  };
  for (int first = 0x20; first <= 0xFC; ++first) {
    if (!IsShiftJisLeadByte(static_cast<std::uint8_t>(first))) {
      add(std::string(1, static_cast<char>(first)));
      continue;
    }
    for (int second = 0x40; second <= 0xFC; ++second) {
      add(std::string{static_cast<char>(first), static_cast<char>(second)});
    }
  }
  iconv_close(cd);
  return codes;
}

// The length of the UTF-8 sequence that starts with `lead`.
std::size_t Utf8Length(std::uint8_t lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xE0) return 2;
  return lead < 0xF0 ? 3 : 4;
}

// Where the C library decodes Shift-JIS but cannot encode it (musl, in the
// browser): every code is decoded once, and each character looked up.
std::optional<std::string> ShiftJisByDecoding(std::string_view text) {
  static const std::map<std::string, std::string> kCodes = DecodedCodes();
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t size = Utf8Length(static_cast<std::uint8_t>(text[at]));
    const auto found = kCodes.find(std::string(text.substr(at, size)));
    if (found == kCodes.end()) return std::nullopt;
    out += found->second;
    at += size;
  }
  return out;
}

}  // namespace

std::string Utf8FromShiftJis(const char* text) {
  std::string out;
  if (text == nullptr) return out;
  iconv_t cd = OpenShiftJis("UTF-8", "CP932");
  // iconv_open says it failed with this one value, cast from -1.
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;  // NOLINT(performance-no-int-to-ptr)
  char* in = const_cast<char*>(text);
  std::size_t inLeft = std::strlen(text);
  char buffer[256];
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      out.push_back('?');
      ++in;
      --inLeft;
    }
  }
  iconv_close(cd);
  return out;
}

std::optional<std::string> ShiftJisFromUtf8(std::string_view text) {
  iconv_t cd = OpenShiftJis("CP932", "UTF-8");
  // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open's one failure value
  if (cd == reinterpret_cast<iconv_t>(-1)) return ShiftJisByDecoding(text);
  // No character takes more bytes in Shift-JIS than in UTF-8.
  std::string out(text.size(), '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const bool converted =
      iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
      iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!converted) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace platform
