// Code page 932 through Windows' own conversions, the table the game's texts
// were written with.
#include <windows.h>

#include "platform/base/shift_jis.h"
#include "platform/windows/wide_text.h"

namespace platform {

namespace {

constexpr UINT kShiftJis = 932;

}  // namespace

std::string Utf8FromShiftJis(const char* text) {
  if (text == nullptr) return {};
  return DecodeShiftJis(text, [](std::string_view code) -> std::optional<std::string> {
    wchar_t wide[2] = {};
    const int length = ::MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, code.data(),
                                             static_cast<int>(code.size()), wide, 2);
    if (length <= 0) return std::nullopt;
    return Utf8FromWide(std::wstring_view(wide, static_cast<std::size_t>(length)));
  });
}

std::optional<std::string> ShiftJisFromUtf8(std::string_view text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int wideLength =
      ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (wideLength == 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), wideLength);
  // No best fit: a character the code page lacks is refused, not replaced by
  // one that looks like it.
  BOOL replaced = FALSE;
  const int length = ::WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength,
                                           nullptr, 0, nullptr, &replaced);
  if (length == 0 || replaced != FALSE) return std::nullopt;
  std::string out(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, out.data(),
                        length, nullptr, &replaced);
  return out;
}

}  // namespace platform
