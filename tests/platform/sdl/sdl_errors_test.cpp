// The real host's failures that the game gets past, as the player sees them
// on standard error: one line with the SDL call that failed and SDL's own
// reason; the game then goes on as it always did without that part.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <functional>
#include <string>

#include "platform/base/log.h"
#include "platform/base/log_testing.h"
#include "platform/sdl/sdl_error.h"
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

TEST(SdlErrors, APlatformFailureIsOneLineWithTheCallAndTheLibrarysReason) {
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
    platform::ForgetLoggedErrors();
    testing::internal::CaptureStderr();
    c.provoke();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind(c.line, 0), 0u) << c.what << ": " << said;
    EXPECT_NE(said.find(c.reason), std::string::npos) << c.what << ": " << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << c.what << ": " << said;
  }
}

// Every checked SDL call reads its answer the same way: a null object or a
// negative status failed and is said with SDL's reason; 0, a positive count
// or an object passes without a word. Said once, a failure stays quiet after.
TEST(SdlErrors, ACheckedCallIsSaidOnlyWhenItFailed) {
  int object = 0;
  const struct {
    const char* what;
    std::function<bool()> check;
    bool passes;
  } cases[] = {
      {"an object", [&] { return platform::SdlMade(&object, "SDL_Make") != nullptr; }, true},
      {"no object", [] { return platform::SdlMade<int>(nullptr, "SDL_Make") != nullptr; }, false},
      {"status 0", [] { return platform::SdlDone(0, "SDL_Do"); }, true},
      {"a positive count", [] { return platform::SdlDone(3, "SDL_Do"); }, true},
      {"status -1", [] { return platform::SdlDone(-1, "SDL_Do"); }, false},
  };
  for (const auto& c : cases) {
    platform::ForgetLoggedErrors();
    SDL_SetError("the reason %s", c.what);
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.check(), c.passes) << c.what;
    const std::string said = testing::internal::GetCapturedStderr();
    if (c.passes) {
      EXPECT_EQ(said, "") << c.what;
    } else {
      EXPECT_NE(said.find(std::string(": the reason ") + c.what), std::string::npos)
          << c.what << ": " << said;
    }
  }
  platform::ForgetLoggedErrors();
  testing::internal::CaptureStderr();
  for (int i = 0; i < 3; ++i) (void)platform::SdlDone(-1, "SDL_Again", platform::Repeats::kLogOnce);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

}  // namespace
