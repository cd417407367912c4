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

class RankingSceneTest : public ScoreFileTest {
 protected:
  void SetUp() override {
    ScoreFileTest::SetUp();
    g_switches.clear();
    SetSceneSwitchHook(NoteSwitch);
    for (const char* name : {"zyou.pod", "tyuu.pod", "syo.pod"}) {
      WriteFile(name, StoredFile(RowsWithScores({300, 200, 100})));
    }
    WriteFile("zel.ini", "Taro");
    SetLevel(1);
    SetLastResult(0, 0);
  }
  void TearDown() override {
    SetSceneSwitchHook(nullptr);
    SetLevel(1);
    SetLastResult(0, 0);
    ScoreFileTest::TearDown();
  }

  std::vector<int> RedRows() const {
    std::vector<int> red;
    for (int i = 0; i < 10; ++i) {
      if ((*scene_.table)[i].color == kScoreRowRed) red.push_back(i);
    }
    return red;
  }

  static std::vector<UINT> PostedMessages() {
    std::vector<UINT> messages;
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != 0) messages.push_back(msg.message);
    return messages;
  }

  RankingScene scene_;
};

TEST_F(RankingSceneTest, AGameThatEntersShowsExactlyOneRedRowAndTheNextVisitNone) {
  SetLastResult(250, 17);
  scene_.Start(nullptr);
  ASSERT_NE(scene_.table, nullptr);
  EXPECT_EQ(RedRows(), std::vector<int>{1});
  EXPECT_STREQ((*scene_.table)[1].scoreText, "250");
  EXPECT_STREQ((*scene_.table)[1].removedText, "17");

  SetLastResult(0, 0);  // as the title screen leaves it
  scene_.Start(nullptr);
  EXPECT_EQ(RedRows(), std::vector<int>{});
  EXPECT_STREQ((*scene_.table)[1].scoreText, "250");
}

TEST_F(RankingSceneTest, ItShowsTheTableOfTheCurrentLevel) {
  WriteFile("syo.pod", StoredFile(RowsWithScores({7})));
  SetLevel(2);
  scene_.Start(nullptr);
  EXPECT_STREQ((*scene_.table)[0].scoreText, "7");
  SetLevel(1);
  scene_.Start(nullptr);
  EXPECT_STREQ((*scene_.table)[0].scoreText, "300");
}

TEST_F(RankingSceneTest, ReturnLetsGoOfTheTableAndGoesToTheTitle) {
  scene_.Start(nullptr);
  scene_.OnKeyDown(nullptr, VK_RETURN);
  EXPECT_EQ(scene_.table, nullptr);
  EXPECT_EQ(g_switches, std::vector<int>{Opening});
  EXPECT_EQ(PostedMessages(), std::vector<UINT>{});
}

TEST_F(RankingSceneTest, EscapeLetsGoOfTheTableAndClosesTheWindow) {
  PostedMessages();
  scene_.Start(nullptr);
  scene_.OnKeyDown(nullptr, VK_ESCAPE);
  EXPECT_EQ(scene_.table, nullptr);
  EXPECT_EQ(g_switches, std::vector<int>{});
  EXPECT_EQ(PostedMessages(), std::vector<UINT>{WM_CLOSE});
  scene_.OnIdle(nullptr);  // a late frame draws no released table
}

TEST_F(RankingSceneTest, EveryOtherKeyDoesNothing) {
  scene_.Start(nullptr);
  log_.Clear();
  const ScoreRecord* table = scene_.table->data();
  for (UINT key : {VK_F1, VK_SPACE, VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, 0u, 0x41u, 0xFFu}) {
    scene_.OnKeyDown(nullptr, key);
    ASSERT_NE(scene_.table, nullptr) << "key " << key;
    EXPECT_EQ(scene_.table->data(), table) << "key " << key;
  }
  EXPECT_EQ(g_switches, std::vector<int>{});
  EXPECT_EQ(PostedMessages(), std::vector<UINT>{});
  EXPECT_TRUE(log_.Calls().empty());
}

}  // namespace
