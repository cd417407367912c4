// How the shell moves between screens: the music of each switch, the order of
// Start and LoadImages, and numbers that are not screens.
#include "app/scene_switch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/scene_switch.h"
#include "opening/opening_scene.h"
#include "platform/win32/host.h"
#include "play/play_scene.h"
#include "ranking/ranking_scene.h"
#include "sound/kbgm.h"
#include "tests/support/program_state.h"

namespace {

// Each spy notes its own Start and LoadImages among the recorded calls.
template <typename Base>
class Spy : public Base {
 public:
  explicit Spy(const char* name) : name_(name) {}
  void Start(HWND) override { platform::RecordCall((name_ + ".Start").c_str()); }
  void LoadImages(HWND, IDirectDrawSurface*) override {
    platform::RecordCall((name_ + ".LoadImages").c_str());
  }

 private:
  std::string name_;
};

class SceneSwitchTest : public testing::Test {
 protected:
  void SetUp() override {
    g_openingScene = &opening_;
    g_playScene = &play_;
    g_rankingScene = &ranking_;
    g_currentScene = nullptr;
    platform::InstallHost({.calls = &log_});
    SetSceneSwitch(&SwitchScene);  // as the program does as it starts
  }
  void TearDown() override {
    SetSceneSwitch(nullptr);
    platform::UninstallHost();
    g_openingScene = nullptr;
    g_playScene = nullptr;
    g_rankingScene = nullptr;
    g_currentScene = nullptr;
  }
  std::vector<std::string> CallNames() const {
    std::vector<std::string> names;
    for (const auto& call : log_.Calls()) {
      names.push_back(call.name == "KBGMPlay" ? "KBGMPlay " + std::to_string(call.args.at(0))
                                              : call.name);
    }
    return names;
  }

  Spy<OpeningScene> opening_{"Opening"};
  Spy<PlayScene> play_{"Play"};
  Spy<RankingScene> ranking_{"Ranking"};
  platform::CallLog log_;
};

// The title and play screens start their own tunes.
TEST_F(SceneSwitchTest, EachSwitchSetsTheMusicThenStartsThenLoadsImages) {
  g_openingMusic = 7;
  g_playMusic = 9;
  struct Case {
    int sceneId;
    Scene* expected;
    std::vector<std::string> calls;
  };
  const std::vector<Case> cases = {
      {Opening, &opening_, {"KBGMPlay 7", "Opening.Start", "Opening.LoadImages"}},
      {Play, &play_, {"KBGMStop", "KBGMPlay 9", "Play.Start", "Play.LoadImages"}},
      {Ranking, &ranking_, {"KBGMStop", "Ranking.Start", "Ranking.LoadImages"}},
  };
  for (const Case& c : cases) {
    log_.Clear();
    ChangeScene(c.sceneId);
    EXPECT_EQ(g_currentScene, c.expected) << "scene " << c.sceneId;
    EXPECT_EQ(CallNames(), c.calls) << "scene " << c.sceneId;
  }
  g_openingMusic = g_playMusic = 0;
}

TEST_F(SceneSwitchTest, NumbersThatAreNoScreenChangeNothing) {
  ChangeScene(Play);
  log_.Clear();
  for (int sceneId : {0, 4, -1, 1000}) {
    ChangeScene(sceneId);
    EXPECT_EQ(g_currentScene, &play_) << sceneId;
  }
  EXPECT_TRUE(log_.Calls().empty());
}

// A run of the program leaves its switch installed; the next run in the same
// process starts, as a new process does, with none until WinMain installs it.
TEST_F(SceneSwitchTest, AfterAResetNoSwitchIsMade) {
  ResetProgramState();
  g_openingScene = &opening_;
  ChangeScene(Opening);
  EXPECT_EQ(g_currentScene, nullptr);
  EXPECT_TRUE(log_.Calls().empty());
}

}  // namespace
