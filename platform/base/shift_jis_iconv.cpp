// Code page 932 through the C library's iconv, which knows it by that name.
#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "platform/base/shift_jis.h"

namespace platform {

std::string Utf8FromShiftJis(const char* text) {
  std::string out;
  if (text == nullptr) return out;
  iconv_t cd = iconv_open("UTF-8", "CP932");
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
  iconv_t cd = iconv_open("CP932", "UTF-8");
  // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open's one failure value
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
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
