// Through the C library's iconv, which knows code page 932 by that name.
#include "platform/base/shift_jis.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

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

}  // namespace platform
