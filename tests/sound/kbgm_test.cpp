// The music library as the game calls it, on the recording backend: what
// reaches the backend, and that every failure leaves the calls harmless.
#include "sound/kbgm.h"

#include <gtest/gtest.h>

#include "platform/win32/audio.h"
#include "platform/win32/host.h"
#include "platform/win32/win32.h"
#include "tests/support/headless/recording_audio.h"

namespace {

// The whole life of the music in one run of the game: start-up, the title
// screen, a game, shutdown.
void RunGameMusic() {
  KBGMOpen(10, -1);
  KBGMLoadFile(&g_openingMusic, "music2.mid");
  KBGMLoadFile(&g_playMusic, "music1.mid");
  KBGMPlay(g_openingMusic, 1);
  KBGMStop();
  KBGMPlay(g_playMusic, 1);
  KBGMFree(g_openingMusic);
  KBGMFree(g_playMusic);
  KBGMClose();
}

TEST(MusicLibrary, ReachesTheBackendInOrderAndFailuresLeaveNoTune) {
  enum Failure { kNone, kNoDevice, kPlayTuneMissing, kNoBackend };
  const struct {
    Failure failure;
    KBGMHandle openingMusic, playMusic;
  } cases[] = {{kNone, 1, 2}, {kNoDevice, 0, 0}, {kPlayTuneMissing, 1, 0}, {kNoBackend, 0, 0}};
  for (const auto& c : cases) {
    platform::RecordingAudio audio;
    platform::InstallHost({.audio = c.failure == kNoBackend ? nullptr : &audio});
    audio.SetOpenFails(c.failure == kNoDevice);
    if (c.failure == kPlayTuneMissing) audio.SetUnreadable("music1.mid");
    g_openingMusic = g_playMusic = -5;  // leftovers must not survive a failed load
    RunGameMusic();
    EXPECT_EQ(g_openingMusic, c.openingMusic) << c.failure;
    EXPECT_EQ(g_playMusic, c.playMusic) << c.failure;
    if (c.failure == kNone) {
      EXPECT_EQ(testing::PrintToString(audio.Calls()),
                R"({ ["Open"], ["LoadTune",1,"music2.mid"], ["LoadTune",2,"music1.mid"], )"
                R"(["PlayTune",1], ["StopTune"], ["PlayTune",2], ["FreeTune",1], ["FreeTune",2], )"
                R"(["Close"] })");
    }
    // "No tune" never reaches the backend as something to play or free.
    for (const platform::RecordedCall& call : audio.Calls()) {
      EXPECT_FALSE((call.name == "PlayTune" || call.name == "FreeTune") && call.args.at(0) == 0);
    }
    EXPECT_EQ(KBGMLoadFile(nullptr, "music2.mid"), -1);  // null arguments are harmless too
    EXPECT_EQ(KBGMLoadFile(&g_openingMusic, nullptr), -1);
    EXPECT_EQ(PlaySoundA(nullptr, nullptr, SND_FILENAME | SND_ASYNC), 0);
    platform::UninstallHost();
  }
}

}  // namespace
