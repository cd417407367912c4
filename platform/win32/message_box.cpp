// The modal message box of the fatal-error path. A host with a real screen
// shows it above the game's window; without one (no display, or the tests'
// and the headless host's stand-ins) the same text goes to standard error, so
// nothing ever waits for a click that cannot come. Texts arrive as Shift-JIS.
#include <cstdio>
#include <string>

#include "platform/base/shift_jis.h"
#include "platform/win32/host.h"
#include "platform/win32/win32.h"
#include "platform/win32/window_backend.h"

namespace {
constexpr int IDOK = 1;
}  // namespace

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
  platform::RecordCall("MessageBox", {}, text != nullptr ? text : "");
  const std::string message = platform::Utf8FromShiftJis(text);
  const std::string title = platform::Utf8FromShiftJis(caption);
  platform::WindowBackend* backend = platform::InstalledHost().window;
  if (backend == nullptr || !backend->ShowMessageBox(title.c_str(), message.c_str())) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
  }
  return IDOK;
}
