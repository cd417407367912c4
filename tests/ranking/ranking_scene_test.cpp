// The high-score screen's logic: which table it shows, which row is red, and
// the two keys that leave it.
#include "ranking/ranking_scene.h"

#include <vector>

#include "app/scene_switch.h"
#include "score_file_helpers.h"

namespace {

using namespace ranking_test;

std::vector<int> g_switches;
void NoteSwitch(int sceneId) {
  g_switches.push_back(sceneId);
}

std::vector<UINT> PostedMessages() {
  std::vector<UINT> messages;
  for (MSG msg{}; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != 0;)
    messages.push_back(msg.message);
  return messages;
}

class RankingSceneTest : public ScoreFileTest {
 protected:
  void SetUp() override {
    ScoreFileTest::SetUp();
    g_switches.clear();
    SetSceneSwitchHook(NoteSwitch);
    PostedMessages();
    WriteFile("tyuu.pod", StoredFile(Rows({300, 200, 100})));
    WriteFile("syo.pod", StoredFile(Rows({7})));
    WriteFile("zel.ini", "Taro");
    SetLevel(1);
  }
  void TearDown() override {
    SetSceneSwitchHook(nullptr);
    SetLastResult(0, 0);
    ScoreFileTest::TearDown();
  }
  std::vector<COLORREF> Colors() const {
    std::vector<COLORREF> colors;
    for (const ScoreRecord& record : *scene_.table) colors.push_back(record.color);
    return colors;
  }

  RankingScene scene_;
};

TEST_F(RankingSceneTest, OnlyTheEntryJustMadeIsRedAndOnlyOnItsOwnVisit) {
  std::vector<COLORREF> colors(10, kScoreRowWhite);
  SetLastResult(250, 17);
  scene_.Start(nullptr);
  colors[1] = kScoreRowRed;
  EXPECT_EQ(Colors(), colors);
  EXPECT_STREQ((*scene_.table)[1].removedText, "17");

  SetLastResult(0, 0);  // as the title screen leaves it
  scene_.Start(nullptr);
  colors[1] = kScoreRowWhite;
  EXPECT_EQ(Colors(), colors);
  EXPECT_STREQ((*scene_.table)[1].scoreText, "250");

  SetLevel(2);
  scene_.Start(nullptr);
  EXPECT_STREQ((*scene_.table)[0].scoreText, "7");
}

TEST_F(RankingSceneTest, ReturnAndEscapeLetGoOfTheTableAndNoOtherKeyDoesAnything) {
  struct Case {
    UINT key;
    bool leaves;
    std::vector<int> switches;
    std::vector<UINT> posted;
  };
  const Case cases[] = {
      {VK_RETURN, true, {Opening}, {}}, {VK_ESCAPE, true, {}, {WM_CLOSE}}, {VK_F1, false, {}, {}},
      {VK_SPACE, false, {}, {}},        {VK_DOWN, false, {}, {}},          {0xFF, false, {}, {}},
  };
  for (const Case& c : cases) {
    scene_.Start(nullptr);
    g_switches.clear();
    scene_.OnKeyDown(nullptr, c.key);
    EXPECT_EQ(scene_.table == nullptr, c.leaves) << c.key;
    EXPECT_EQ(g_switches, c.switches) << c.key;
    EXPECT_EQ(PostedMessages(), c.posted) << c.key;
    scene_.OnIdle(nullptr);  // a frame after ESC draws no released table
  }
}

}  // namespace
