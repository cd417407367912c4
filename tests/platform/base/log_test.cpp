// A failure of the platform that the game gets past is said on standard error
// in one line, with the call that failed and the library's own reason, and
// only once however often it comes back (the real host's own failures are in
// tests/platform/sdl/sdl_errors_test.cpp).
#include "platform/base/log.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace {

TEST(Log, AFailureSaidOnceIsNotSaidAgainUntilForgotten) {
  platform::ForgetLoggedErrors();
  testing::internal::CaptureStderr();
  for (int frame = 0; frame < 3; ++frame) {
    platform::LogError("SDL_GetWindowSurface", "lost", platform::Repeats::kLogOnce);
  }
  platform::LogError("SDL_UpdateWindowSurface", "line 1\nline 2", platform::Repeats::kLogOnce);
  platform::LogErrno("open(zel.ini)", EACCES);
  platform::LogErrno("open(zel.ini)", EACCES);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "morvex2: SDL_GetWindowSurface: lost\n"
            "morvex2: SDL_UpdateWindowSurface: line 1 line 2\n"
            "morvex2: open(zel.ini): Permission denied\n"
            "morvex2: open(zel.ini): Permission denied\n");
}

}  // namespace
