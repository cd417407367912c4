// Stand-in until the hosts land.
#include <cstdio>

#include "platform/win32.h"

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  return 1;
}
