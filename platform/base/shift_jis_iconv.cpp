// Code page 932 through the C library's iconv, which knows it by that name.
// A C library that knows only plain Shift-JIS (musl) has the same bytes for
// every character but code page 932's additions.
#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/base/shift_jis.h"
#include "platform/base/shift_jis_codes.h"

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

// Where the C library decodes Shift-JIS but cannot encode it (musl): every
// code is decoded once, and each character looked up.
std::optional<std::string> ShiftJisByDecoding(std::string_view text) {
  static const ShiftJisCodes kCodes = [] {
    iconv_t cd = OpenShiftJis("UTF-8", "CP932");
    // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open's one failure value
    const bool opened = cd != reinterpret_cast<iconv_t>(-1);
    ShiftJisCodes codes([&](std::string_view code) -> std::optional<std::string> {
      if (!opened) return std::nullopt;
      return DecodeOne(cd, std::string(code));
    });
    if (opened) iconv_close(cd);
    return codes;
  }();
  return kCodes.Encode(text);
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
