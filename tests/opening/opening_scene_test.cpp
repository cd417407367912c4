// The title screen's logic: the drifting balloons, the menu cursor and its keys.
#include "opening/opening_scene.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/scene_switch.h"
#include "platform/base/call_log.h"
#include "platform/win32/host.h"

namespace {

std::vector<int> g_switches;
void NoteSwitch(int sceneId) {
  g_switches.push_back(sceneId);
}

class OpeningSceneTest : public testing::Test {
 protected:
  void SetUp() override {
    g_switches.clear();
    SetSceneSwitch(NoteSwitch);
    platform::InstallHost({.calls = &log_});
    SetLevel(1);
    scene_.Start(nullptr);
    log_.Clear();
  }
  void TearDown() override {
    platform::UninstallHost();
    SetSceneSwitch(nullptr);
    SetLevel(1);
  }
  void Press(UINT key) { scene_.OnKeyDown(nullptr, key); }
  void Release() { scene_.OnKeyUp(); }

  OpeningScene scene_;
  platform::CallLog log_;
};

TEST_F(OpeningSceneTest, ABalloonLeavingTheTopComesBackBelowTheBottom) {
  scene_.balloons[0].y = -39;
  scene_.balloons[1].y = 480;
  scene_.OnTimer(nullptr);
  EXPECT_EQ(scene_.balloons[0].y, -40);
  EXPECT_EQ(scene_.balloons[1].y, 479);
  scene_.OnTimer(nullptr);
  EXPECT_EQ(scene_.balloons[0].y, 480) << "the jump takes a tick of its own";
  scene_.OnTimer(nullptr);
  EXPECT_EQ(scene_.balloons[0].y, 479);
}

TEST_F(OpeningSceneTest, AnOnScreenBalloonRepeatsEvery521Ticks) {
  const int start = scene_.balloons[2].y;
  for (int i = 0; i < 521; ++i) scene_.OnTimer(nullptr);
  EXPECT_EQ(scene_.balloons[2].y, start);
}

TEST_F(OpeningSceneTest, StartTakesTheLevelClearsTheResultAndArmsTheTimer) {
  SetLevel(2);
  SetLastResult(5, 6);
  log_.Clear();
  scene_.Start(nullptr);
  EXPECT_EQ(scene_.selection, 2);
  const std::vector<platform::RecordedCall> expected = {{"SetLastResult", {0, 0}, ""},
                                                        {"SetTimer", {1, 80}, ""}};
  EXPECT_EQ(log_.Calls(), expected);
}

TEST_F(OpeningSceneTest, UpAndDownWalkTheMenuAroundOncePerPress) {
  // Cursor values: 2 beginner (top line), 1 middle, 0 advanced (bottom line).
  struct Step {
    UINT key;
    bool releaseFirst;
    int selection;
  };
  const std::vector<Step> steps = {
      {VK_UP, true, 2},                         // middle -> beginner
      {VK_UP, true, 0},                         // beginner (top) -> advanced (bottom)
      {VK_DOWN, true, 2},                       // advanced (bottom) -> beginner (top)
      {VK_DOWN, true, 1}, {VK_DOWN, false, 1},  // held: no further move
      {VK_UP, false, 1},                        // still held, even another key
      {VK_UP, true, 2},
  };
  EXPECT_EQ(scene_.selection, 1);
  for (const Step& step : steps) {
    if (step.releaseFirst) Release();
    Press(step.key);
    EXPECT_EQ(scene_.selection, step.selection);
    EXPECT_EQ(scene_.keyHeld, 1);
  }
}

TEST_F(OpeningSceneTest, ReturnStartsAGameAtTheHighlightedLevel) {
  Press(VK_UP);  // beginner
  Release();
  log_.Clear();
  Press(VK_RETURN);
  EXPECT_EQ(GetLevel(), 2);
  EXPECT_EQ(g_switches, std::vector<int>{Play});
  const std::vector<platform::RecordedCall> expected = {{"KillTimer", {1}, ""}};
  EXPECT_EQ(log_.Calls(), expected);
}

TEST_F(OpeningSceneTest, EscapeStopsTheMusicAndTheTimerAndClosesTheWindow) {
  Press(VK_ESCAPE);
  ASSERT_GE(log_.Calls().size(), 2u);
  EXPECT_EQ(log_.Calls()[0].name, "KBGMStop");
  EXPECT_EQ(log_.Calls()[1], (platform::RecordedCall{"KillTimer", {1}, ""}));
  EXPECT_TRUE(g_switches.empty());
  // The window is asked to close at the loop's next turn, once.
  std::vector<UINT> posted;
  for (MSG msg{}; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) posted.push_back(msg.message);
  EXPECT_EQ(posted, std::vector<UINT>{WM_CLOSE});
}

TEST_F(OpeningSceneTest, F1ShowsTheRankingOfTheLevelLastPlayedAndLeavesTheTimer) {
  Press(VK_UP);
  Release();
  Press(VK_F1);
  EXPECT_EQ(g_switches, std::vector<int>{Ranking});
  EXPECT_EQ(GetLevel(), 1) << "the cursor does not choose the table";
  EXPECT_TRUE(log_.Calls().empty()) << "no KillTimer";
}

TEST_F(OpeningSceneTest, OtherKeysOnlyCountAsHeld) {
  Press('A');
  EXPECT_EQ(scene_.selection, 1);
  EXPECT_EQ(scene_.keyHeld, 1);
  EXPECT_TRUE(g_switches.empty());
  EXPECT_TRUE(log_.Calls().empty());
}

}  // namespace
