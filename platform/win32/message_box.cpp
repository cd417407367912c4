// The modal message box of the fatal-error path. A host with a real screen
// shows it above the game's window; without one (no display, or the tests'
// and the headless host's stand-ins) the same text goes to standard error, so
// nothing ever waits for a click that cannot come. Texts arrive as Shift-JIS.
//
// A warning box (MB_ICONWARNING) tells the player of a failure the game gets
// past, whose reason is on standard error already: where the host shows no
// such box, that line says it all and nothing more is written.
#include <string>

#include "platform/base/log.h"
#include "platform/base/shift_jis.h"
#include "platform/win32/host.h"
#include "platform/win32/win32.h"
#include "platform/win32/window_backend.h"

namespace {
constexpr int IDOK = 1;
}  // namespace

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  platform::RecordCall("MessageBox", {type}, text != nullptr ? text : "");
  const std::string message = platform::Utf8FromShiftJis(text);
  const std::string title = platform::Utf8FromShiftJis(caption);
  platform::WindowBackend* backend = platform::InstalledHost().window;
  if ((type & MB_ICONWARNING) == MB_ICONWARNING) {
    if (backend != nullptr) (void)backend->ShowNotice(title.c_str(), message.c_str());
    return IDOK;
  }
  if (backend == nullptr || !backend->ShowMessageBox(title.c_str(), message.c_str())) {
    platform::LogLine(title + ": " + message);
  }
  return IDOK;
}
