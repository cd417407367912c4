// The music library and the clap as the game calls them, on the recording
// backend: what reaches the backend, what is logged, and that every failure
// leaves the calls harmless.
#include "sound/kbgm.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/call_log.h"
#include "platform/recording_audio.h"
#include "platform/win32.h"

namespace {

using platform::RecordedCall;

class MusicLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetAudioBackend(&audio_);
    platform::SetActiveCallLog(&log_);
    // Leftovers in the handle variables must not survive a failed load.
    g_openingMusic = -5;
    g_playMusic = -5;
  }
  void TearDown() override {
    platform::SetAudioBackend(nullptr);
    platform::SetActiveCallLog(nullptr);
  }

  // The whole life of the music in one run of the game: start-up, the title
  // screen, a game, shutdown.
  static void RunGameMusic() {
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

  platform::RecordingAudio audio_;
  platform::CallLog log_;
};

TEST_F(MusicLibrary, OneRunReachesTheBackendAndTheLogInOrder) {
  RunGameMusic();

  EXPECT_EQ(g_openingMusic, 1);
  EXPECT_EQ(g_playMusic, 2);
  EXPECT_EQ(audio_.Calls(), (std::vector<RecordedCall>{
                                {"Open", {}, ""},
                                {"LoadTune", {1}, "music2.mid"},
                                {"LoadTune", {2}, "music1.mid"},
                                {"PlayTune", {1}, ""},
                                {"StopTune", {}, ""},
                                {"PlayTune", {2}, ""},
                                {"FreeTune", {1}, ""},
                                {"FreeTune", {2}, ""},
                                {"Close", {}, ""},
                            }));
  EXPECT_EQ(log_.Calls(), (std::vector<RecordedCall>{
                              {"KBGMOpen", {10, -1}, ""},
                              {"KBGMLoadFile", {}, "music2.mid"},
                              {"KBGMLoadFile", {}, "music1.mid"},
                              {"KBGMPlay", {1}, ""},
                              {"KBGMStop", {}, ""},
                              {"KBGMPlay", {2}, ""},
                              {"KBGMFree", {1}, ""},
                              {"KBGMFree", {2}, ""},
                              {"KBGMClose", {}, ""},
                          }));
}

struct MusicFailure {
  const char* name;
  std::function<void(platform::RecordingAudio&)> arrange;
  KBGMHandle openingMusic;
  KBGMHandle playMusic;
};

TEST_F(MusicLibrary, FailuresLeaveNoTuneAndEveryCallHarmless) {
  const MusicFailure failures[] = {
      {"no sound device", [](auto& audio) { audio.SetOpenFails(true); }, 0, 0},
      {"play tune missing", [](auto& audio) { audio.SetUnreadable("music1.mid"); }, 1, 0},
      {"no backend installed", [](auto&) { platform::SetAudioBackend(nullptr); }, 0, 0},
  };
  for (const MusicFailure& failure : failures) {
    SCOPED_TRACE(failure.name);
    platform::RecordingAudio audio;
    platform::SetAudioBackend(&audio);
    log_.Clear();
    g_openingMusic = g_playMusic = -5;
    failure.arrange(audio);

    RunGameMusic();

    EXPECT_EQ(g_openingMusic, failure.openingMusic);
    EXPECT_EQ(g_playMusic, failure.playMusic);
    // "No tune" never reaches the backend as something to play or free.
    for (const RecordedCall& call : audio.Calls()) {
      if (call.name == "PlayTune" || call.name == "FreeTune") {
        EXPECT_NE(call.args.at(0), 0);
      }
    }
    // The game's calls are logged all the same, so its order can be checked.
    EXPECT_EQ(log_.Calls().size(), 9u);
  }
}

TEST_F(MusicLibrary, NullArgumentsAreHarmless) {
  KBGMOpen(10, -1);
  EXPECT_EQ(KBGMLoadFile(nullptr, "music2.mid"), -1);
  EXPECT_EQ(KBGMLoadFile(&g_openingMusic, nullptr), -1);
  EXPECT_EQ(g_openingMusic, 0);
  EXPECT_EQ(log_.Calls().back(), (RecordedCall{"KBGMLoadFile", {}, ""}));
}

struct ClapCase {
  const char* name;
  std::function<void(platform::RecordingAudio&)> arrange;
  const char* file;
  BOOL played;
};

TEST(Clap, IsLoggedAndPlayedOnTheActiveBackend) {
  const ClapCase cases[] = {
      {"plays", [](auto& audio) { audio.Open(); }, "Clap.wav", 1},
      {"file missing",
       [](auto& audio) {
         audio.Open();
         audio.SetUnreadable("Clap.wav");
       },
       "Clap.wav", 0},
      {"no backend installed", [](auto&) { platform::SetAudioBackend(nullptr); }, "Clap.wav", 0},
      {"no file name", [](auto& audio) { audio.Open(); }, nullptr, 0},
  };
  for (const ClapCase& clap : cases) {
    SCOPED_TRACE(clap.name);
    platform::RecordingAudio audio;
    platform::CallLog log;
    platform::SetAudioBackend(&audio);
    platform::SetActiveCallLog(&log);
    clap.arrange(audio);

    EXPECT_EQ(PlaySoundA(clap.file, nullptr, SND_FILENAME | SND_ASYNC), clap.played);

    const std::string file = clap.file != nullptr ? clap.file : "";
    EXPECT_EQ(log.Calls(), (std::vector<RecordedCall>{{"PlaySound", {}, file}}));
    platform::SetAudioBackend(nullptr);
    platform::SetActiveCallLog(nullptr);
  }
}

}  // namespace
