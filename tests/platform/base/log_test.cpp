// A failure of the platform that the game gets past is said on standard error
// in one line, with the call that failed and the library's own reason, and
// only once however often it comes back (the real host's own failures are in
// tests/platform/sdl/sdl_errors_test.cpp).
#include "platform/base/log.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/base/console.h"
#include "platform/base/log_testing.h"

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

// A message that sends the player to the log does so only when the log holds
// the reason: never where no log is kept (a console reads the lines), nor when
// the log's folder cannot be written.
TEST(Log, TheLinesSinceAMarkAreInTheLogOnlyWhenItTookThem) {
  const std::uint64_t quiet = platform::LogMark();
  EXPECT_TRUE(platform::LogFileHoldsLinesSince(quiet)) << "nothing said since";
  testing::internal::CaptureStderr();
  platform::LogError("zyou.pod", "Read-only file system");
  (void)testing::internal::GetCapturedStderr();
  EXPECT_EQ(platform::LinesSaidSince(quiet), "zyou.pod: Read-only file system\n");
  if (platform::ConsoleReachesPlayer()) {
    EXPECT_FALSE(platform::LogFileHoldsLinesSince(quiet));
    return;
  }
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "morvex2-log-test";
  std::filesystem::remove_all(folder);
  platform::LogToFile((folder / "missing" / "morvex2.log").string());
  const std::uint64_t unwritable = platform::LogMark();
  platform::LogLine("morvex2: cannot keep the replay");
  EXPECT_FALSE(platform::LogFileHoldsLinesSince(unwritable));
  std::filesystem::create_directories(folder);
  platform::LogToFile((folder / "morvex2.log").string());
  const std::uint64_t writable = platform::LogMark();
  platform::LogLine("morvex2: cannot keep the replay");
  EXPECT_TRUE(platform::LogFileHoldsLinesSince(writable));
  std::filesystem::remove_all(folder);
}

}  // namespace
