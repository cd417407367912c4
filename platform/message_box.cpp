// The modal message box of the fatal-error path. Where SDL has a real screen
// the box is SDL's own, above the game's window; without one (no display, or
// the offscreen and dummy drivers that tests and the headless host use) the
// same text goes to standard error, so nothing ever waits for a click that
// cannot come. Texts arrive as Shift-JIS and are shown as UTF-8.
#include <SDL.h>
#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/call_log.h"
#include "platform/failure_log.h"
#include "platform/sdl_video.h"
#include "platform/win32.h"

namespace {

constexpr int IDOK = 1;

// Undecodable bytes become '?', so that a broken text still says something.
std::string Utf8FromCp932(const char* text) {
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

bool HasRealScreen() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && std::strcmp(driver, "offscreen") != 0 &&
         std::strcmp(driver, "dummy") != 0;
}

}  // namespace

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
  platform::RecordCall("MessageBox", {}, text != nullptr ? text : "");
  const std::string message = Utf8FromCp932(text);
  const std::string title = Utf8FromCp932(caption);
  if (HasRealScreen()) {
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(),
                                 platform::MainSdlWindow()) == 0) {
      return IDOK;
    }
    platform::LogSdlFailure("SDL_ShowSimpleMessageBox");
  }
  std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
  return IDOK;
}
