// Code page 932 in the browser, through the browser's own Shift-JIS decoder,
// which has code page 932's characters. The C library's converter would carry
// the tables of every code page it knows into the page, and the page's first
// frame would wait for them; the browser has this one already.
#include <emscripten.h>

#include "platform/base/shift_jis.h"
#include "platform/base/shift_jis_codes.h"

namespace {

// The UTF-8 of the code's character in `out`, its length returned; -1 when
// the code is no character or the browser has no decoder for it.
// clang-format off
EM_JS(int, BrowserDecodesShiftJis, (const char* code, int length, char* out, int room), {
  var decoder = Module.morvex2ShiftJis;
  try {
    if (!decoder) decoder = Module.morvex2ShiftJis = new TextDecoder('shift_jis', { fatal: true });
    var text = decoder.decode(HEAPU8.subarray(code, code + length));
    if (text.length === 0 || lengthBytesUTF8(text) >= room) return -1;
    return stringToUTF8(text, out, room);
  } catch (e) {
    return -1;
  }
});
// clang-format on

const platform::ShiftJisCodes& Codes() {
  static const platform::ShiftJisCodes kCodes(
      [](std::string_view code) -> std::optional<std::string> {
        char out[16];
        const int length = BrowserDecodesShiftJis(code.data(), static_cast<int>(code.size()), out,
                                                  static_cast<int>(sizeof out));
        if (length <= 0) return std::nullopt;
        return std::string(out, static_cast<std::size_t>(length));
      });
  return kCodes;
}

}  // namespace

namespace platform {

std::string Utf8FromShiftJis(const char* text) {
  if (text == nullptr) return {};
  // A browser without the decoder: the text as it stands, as where the C
  // library has no Shift-JIS.
  if (Codes().Empty()) return text;
  return Codes().Decode(text);
}

std::optional<std::string> ShiftJisFromUtf8(std::string_view text) {
  return Codes().Encode(text);
}

}  // namespace platform
