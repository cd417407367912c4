// The two keys that leave the high-score screen, and nothing else. The table it
// shows is the one that RecordResult hands over (its cases are with it); a
// whole game's ranking is seen end to end.
#include "ranking/ranking_scene.h"

#include <vector>

#include "core/scene_switch.h"
#include "platform/win32/host.h"
#include "tests/ranking/score_file_helpers.h"

namespace {

using namespace ranking_test;

TEST_F(ScoreFileTest, TheRankingScreenLeavesOnReturnAndEscapeAndOnNoOtherKey) {
  SetSceneSwitch([](int id) { platform::RecordCall("ChangeScene", {id}); });
  WriteFile("tyuu.pod", StoredFile(Rows({300, 200, 100})));
  SetLevel(1);
  RankingScene scene;
  const std::vector<platform::RecordedCall> none, toTitle = {{"ChangeScene", {Opening}, ""}};
  for (UINT key : {VK_RETURN, VK_ESCAPE, VK_F1, VK_SPACE, VK_DOWN, 0xFFu}) {
    scene.Start(nullptr);
    log_.Clear();
    scene.OnKeyDown(nullptr, key);
    MSG posted{};
    const bool closes =
        PeekMessageA(&posted, nullptr, 0, 0, PM_REMOVE) && posted.message == WM_CLOSE;
    EXPECT_EQ(scene.table == nullptr, key == VK_RETURN || key == VK_ESCAPE) << key;
    EXPECT_EQ(log_.Calls(), key == VK_RETURN ? toTitle : none) << key;
    EXPECT_EQ(closes, key == VK_ESCAPE) << key;
    scene.OnIdle(nullptr);  // a frame after ESC draws no released table
  }
  SetSceneSwitch(nullptr);
}

}  // namespace
