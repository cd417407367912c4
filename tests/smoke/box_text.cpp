// Reads a message box that another program of the same Wine session shows,
// as a player reads it, and clicks it away so that the program goes on.
// Usage: box_text.exe TITLE [SECONDS]: waits up to SECONDS (default 60) for a
// dialog box of that title, prints its title and text in UTF-8, one line
// each (a line break in the text becomes " / "), presses its OK button, and
// exits with 0; 1 when no box came.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/windows/wide_text.h"

namespace {

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The box's message is its longest static text; its icon is a static without one.
BOOL CALLBACK LongestStatic(HWND child, LPARAM found) {
  wchar_t kind[16] = {};
  ::GetClassNameW(child, kind, 16);
  auto* longest = reinterpret_cast<std::wstring*>(found);
  if (::lstrcmpiW(kind, L"Static") == 0) {
    const std::wstring text = TextOf(child);
    if (text.size() > longest->size()) *longest = text;
  }
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const int seconds = argc > 2 ? _wtoi(argv[2]) : 60;
  for (int tenth = 0; tenth < seconds * 10; ++tenth) {
    const HWND box = ::FindWindowW(L"#32770", argv[1]);
    if (box != nullptr) {
      std::wstring text;
      ::EnumChildWindows(box, LongestStatic, reinterpret_cast<LPARAM>(&text));
      std::wstring line;
      for (const wchar_t c : text) {
        if (c == L'\r') continue;
        line += c == L'\n' ? std::wstring(L" / ") : std::wstring(1, c);
      }
      std::printf("%s\n%s\n", platform::Utf8FromWide(TextOf(box)).c_str(),
                  platform::Utf8FromWide(line).c_str());
      std::fflush(stdout);
      ::PostMessageW(box, WM_COMMAND, IDOK, 0);
      return 0;
    }
    ::Sleep(100);
  }
  return 1;
}
