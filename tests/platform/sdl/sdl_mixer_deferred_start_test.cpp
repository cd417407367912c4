// The real game asks the mixer to put off opening the sound device and
// reading its tunes until the first frame is out. Until then nothing may
// touch the device; afterwards the tunes must be exactly where the calls made
// before would have left them, with the handles they would have had.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/sdl/sdl_mixer_audio.h"

namespace {

using platform::SdlMixerAudio;
using platform::TuneHandle;

const std::string kTitleTune = std::string(MORVEX2_SOURCE_DIR) + "/data/music2.mid";
const std::string kPlayTune = std::string(MORVEX2_SOURCE_DIR) + "/data/music1.mid";
// The game plays its tunes from the renderings made with it, as here.
constexpr char kRenderings[] = MORVEX2_BINARY_DIR "/share/morvex2";

bool AudioOpen() {
  return SDL_WasInit(SDL_INIT_AUDIO) != 0;
}

// Which loaded tune plays: freeing the one that plays stops the music.
TuneHandle Playing(SdlMixerAudio& audio, const std::vector<TuneHandle>& tunes) {
  for (TuneHandle tune : tunes) {
    if (Mix_PlayingMusic() == 0) return 0;
    audio.FreeTune(tune);
    if (Mix_PlayingMusic() == 0) return tune;
  }
  return Mix_PlayingMusic() != 0 ? -1 : 0;
}

struct Case {
  const char* what;
  std::function<void(SdlMixerAudio&, TuneHandle title, TuneHandle play)> callsBefore;
  int playing;  // 0 none, 1 the title tune, 2 the play tune
};

TEST(DeferredSoundStart, TheTunesEndUpAsTheCallsBeforeLeftThem) {
  const Case cases[] = {
      {"one tune started", [](auto& a, auto t, auto) { a.PlayTune(t); }, 1},
      {"the second replaces the first",
       [](auto& a, auto t, auto p) {
         a.PlayTune(t);
         a.PlayTune(p);
       },
       2},
      {"stopped",
       [](auto& a, auto t, auto) {
         a.PlayTune(t);
         a.StopTune();
       },
       0},
      {"freed while it would play",
       [](auto& a, auto t, auto) {
         a.PlayTune(t);
         a.FreeTune(t);
       },
       0},
      {"a handle it never gave leaves the tune playing",
       [](auto& a, auto t, auto) {
         a.PlayTune(t);
         a.PlayTune(99);
         a.PlayTune(0);
       },
       1},
      {"nothing asked", [](auto&, auto, auto) {}, 0},
  };
  for (const Case& c : cases) {
    SdlMixerAudio audio;
    audio.UseShippedRenderings(kRenderings);
    audio.DeferStart();
    ASSERT_TRUE(audio.Open()) << c.what;
    const TuneHandle title = audio.LoadTune(kTitleTune.c_str());
    const TuneHandle missing = audio.LoadTune("/nonexistent/music9.mid");
    const TuneHandle play = audio.LoadTune(kPlayTune.c_str());
    EXPECT_EQ(title, 1) << c.what;
    EXPECT_EQ(missing, 0) << c.what << ": a file that cannot be a tune fails at once";
    EXPECT_EQ(play, 2) << c.what;
    c.callsBefore(audio, title, play);
    EXPECT_FALSE(AudioOpen()) << c.what << ": the device waits for the first frame";

    audio.FinishStart();
    ASSERT_TRUE(AudioOpen()) << c.what;
    const TuneHandle expected = c.playing == 1 ? title : c.playing == 2 ? play : 0;
    EXPECT_EQ(Playing(audio, {title, play}), expected) << c.what;
    audio.Close();
    EXPECT_FALSE(AudioOpen()) << c.what;
  }
}

TEST(DeferredSoundStart, AfterTheStartEveryCallGoesStraightThrough) {
  SdlMixerAudio audio;
  audio.UseShippedRenderings(kRenderings);
  audio.DeferStart();
  EXPECT_TRUE(audio.Open()) << "a put-off start always succeeds";
  const TuneHandle title = audio.LoadTune(kTitleTune.c_str());
  audio.FinishStart();
  const TuneHandle play = audio.LoadTune(kPlayTune.c_str());
  EXPECT_EQ(play, 2) << "handles go on from those given before";
  audio.PlayTune(play);
  EXPECT_EQ(Mix_PlayingMusic(), 1);
  EXPECT_EQ(Playing(audio, {title, play}), play);
  audio.FinishStart();  // a second time does nothing
  EXPECT_TRUE(AudioOpen());
}

TEST(DeferredSoundStart, ClosedBeforeTheFirstFrameNothingEverOpens) {
  SdlMixerAudio audio;
  audio.UseShippedRenderings(kRenderings);
  audio.DeferStart();
  EXPECT_TRUE(audio.Open()) << "a put-off start always succeeds";
  audio.PlayTune(audio.LoadTune(kTitleTune.c_str()));
  audio.Close();
  audio.FinishStart();
  EXPECT_FALSE(AudioOpen());
}

TEST(DeferredSoundStart, AClapDoesNotWait) {
  SdlMixerAudio audio;
  audio.UseShippedRenderings(kRenderings);
  audio.DeferStart();
  EXPECT_TRUE(audio.Open()) << "a put-off start always succeeds";
  const TuneHandle title = audio.LoadTune(kTitleTune.c_str());
  audio.PlayTune(title);
  const std::string clap = std::string(MORVEX2_SOURCE_DIR) + "/data/Clap.wav";
  EXPECT_TRUE(audio.PlaySound(clap.c_str()));
  EXPECT_TRUE(AudioOpen());
  EXPECT_EQ(Mix_PlayingMusic(), 1) << "the tune asked for before plays too";
}

}  // namespace
