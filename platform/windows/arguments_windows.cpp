#include <windows.h>
// shellapi.h builds on windows.h, so it comes after it.
#include <shellapi.h>

#include "platform/base/arguments.h"
#include "platform/windows/wide_text.h"

namespace platform {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return {argv, argv + argc};
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
  ::LocalFree(static_cast<HLOCAL>(wide));
  return arguments;
}

}  // namespace platform
