// Standard error as the program was given it (redirected to a file or a
// pipe, or Wine's terminal), and otherwise the console of the program that
// started this one, when there is one: a game started from a command prompt
// says its lines there, as a program of the console subsystem would.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/base/console.h"
#include "platform/windows/wide_text.h"

namespace platform {

namespace {

// The parent's console, or null when standard error is usable as it stands
// or there is no console to attach to.
HANDLE ParentConsole() {
  const HANDLE given = ::GetStdHandle(STD_ERROR_HANDLE);
  if (given != nullptr && given != INVALID_HANDLE_VALUE &&
      ::GetFileType(given) != FILE_TYPE_UNKNOWN) {
    return nullptr;
  }
  if (::AttachConsole(ATTACH_PARENT_PROCESS) == 0) return nullptr;
  const HANDLE console =
      ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
  return console == INVALID_HANDLE_VALUE ? nullptr : console;
}

}  // namespace

void WriteConsoleLine(std::string_view line) {
  static const HANDLE console = ParentConsole();
  if (console == nullptr) {
    std::fputs(std::string(line).c_str(), stderr);
    return;
  }
  // In UTF-16, so that a path outside the console's code page reads right.
  const std::wstring wide = WideFromUtf8(line);
  DWORD written = 0;
  ::WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

bool ConsoleReachesPlayer() {
  return false;
}

}  // namespace platform
