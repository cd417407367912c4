// The real host's failures that the game gets past, as the player sees them
// on standard error: one line with the SDL call that failed and SDL's own
// reason; the game then goes on as it always did without that part.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <functional>
#include <string>

#include "platform/base/log.h"
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

}  // namespace
