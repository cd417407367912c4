// A failure of the platform that the game gets past is said on standard error
// in one line, with the call that failed and the library's own reason, and
// only once however often it comes back; the game then goes on as it always
// did without that part.
#include "platform/base/failure_log.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string>

#include "platform/sdl/sdl_mixer_audio.h"
#include "platform/sdl/sdl_video.h"

namespace {

// Without a sound device the game plays on in silence, and trying the device
// again says nothing more.
void NoSoundDevice() {
  SDL_setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  platform::SdlMixerAudio audio("/no/soundfont.sf2", "");
  EXPECT_FALSE(audio.Open());
  EXPECT_FALSE(audio.Open());
  EXPECT_EQ(audio.LoadTune(MORVEX2_SOURCE_DIR "/data/music1.mid"), 0);
  audio.PlayTune(1);
  audio.StopTune();
  EXPECT_FALSE(audio.PlaySound(MORVEX2_SOURCE_DIR "/data/Clap.wav"));
  audio.Close();
  SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
}

// A window SDL cannot make fails the window's creation, and with it the
// game's CreateWindowExA, its usual way out; a window it can make is made.
void WindowTooLarge() {
  platform::SdlVideo video;
  EXPECT_FALSE(video.Create("Morvex2", 20000, 480));
  EXPECT_EQ(video.Window(), nullptr);
  EXPECT_TRUE(video.Create("Morvex2", 640, 480));
}

TEST(FailureLog, APlatformFailureIsOneLineWithTheCallAndTheLibrarysReason) {
  struct Case {
    const char* what;
    std::function<void()> provoke;
    std::string line;  // how the line starts
    const char* reason;
  };
  const Case cases[] = {
      {"no sound device", NoSoundDevice,
       "morvex2: SDL_InitSubSystem(SDL_INIT_AUDIO): ", "no-such-driver"},
      {"a window too large", WindowTooLarge, "morvex2: SDL_CreateWindow: ", "too large"},
  };
  for (const Case& c : cases) {
    platform::ForgetLoggedFailures();
    testing::internal::CaptureStderr();
    c.provoke();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind(c.line, 0), 0u) << c.what << ": " << said;
    EXPECT_NE(said.find(c.reason), std::string::npos) << c.what << ": " << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << c.what << ": " << said;
  }
}

TEST(FailureLog, AFailureSaidOnceIsNotSaidAgainUntilForgotten) {
  platform::ForgetLoggedFailures();
  testing::internal::CaptureStderr();
  for (int frame = 0; frame < 3; ++frame) {
    platform::LogFailure("SDL_GetWindowSurface", "lost", platform::Repeats::kSayOnce);
  }
  platform::LogFailure("SDL_UpdateWindowSurface", "line 1\nline 2", platform::Repeats::kSayOnce);
  platform::LogErrnoFailure("open(zel.ini)", EACCES);
  platform::LogErrnoFailure("open(zel.ini)", EACCES);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "morvex2: SDL_GetWindowSurface: lost\n"
            "morvex2: SDL_UpdateWindowSurface: line 1 line 2\n"
            "morvex2: open(zel.ini): Permission denied\n"
            "morvex2: open(zel.ini): Permission denied\n");
}

}  // namespace
