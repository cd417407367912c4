// The two keys that leave the high-score screen, and nothing else; and the box
// that tells the player a result could not be saved. The table it shows is
// the one that RecordResult hands over (its cases are with it); a whole
// game's ranking is seen end to end.
#include "ranking/ranking_scene.h"

#include <sys/stat.h>

#include <vector>

#include "core/language.h"
#include "core/scene_switch.h"
#include "platform/win32/host.h"
#include "ranking/ranking_text.h"
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

// A read-only table keeps every result out. The screen shows the table as it
// is, and the player is told in a box once a run, in the player's language,
// not after every game; a visit from the title loses nothing and says nothing.
TEST_F(ScoreFileTest, AResultNotSavedIsToldInABoxOnceARun) {
  WriteFile("zel.ini", std::string("Taro"));
  const Bytes file = StoredFile(Rows({300, 200, 100}));
  WriteFile("tyuu.pod", file);
  ASSERT_EQ(::chmod("tyuu.pod", 0444), 0);
  SetLevel(1);
  for (const auto language : {platform::Language::kJapanese, platform::Language::kEnglish}) {
    SetLanguage(language);
    RankingScene scene;
    const struct {
      int score;
      std::size_t boxes;
    } visits[] = {{1000, 1}, {2000, 0}, {0, 0}, {3000, 0}};
    for (const auto& visit : visits) {
      SetLastResult(visit.score, 4);
      log_.Clear();
      testing::internal::CaptureStderr();
      scene.Start(nullptr);
      testing::internal::GetCapturedStderr();
      std::vector<platform::RecordedCall> boxes;
      for (const auto& call : log_.Calls()) {
        if (call.name == "MessageBox") boxes.push_back(call);
      }
      ASSERT_EQ(boxes.size(), visit.boxes) << visit.score;
      if (!boxes.empty()) {
        // No log file keeps lines here, so the box gives the reason itself.
        EXPECT_EQ(boxes[0].text,
                  std::string(Localized(ranking_text::kResultNotSavedBecause,
                                        ranking_text::kResultNotSavedBecauseEnglish)) +
                      "tyuu.pod: the table is read-only, and the game leaves it so\n"
                      "this game's result (score 1000, 4 removed): not saved in "
                      "tyuu.pod\n");
        EXPECT_EQ(boxes[0].args, std::vector<std::int64_t>{MB_OK | MB_ICONWARNING});
      }
      const ScoreFileBytes shown = EncodeScoreFile(*scene.table);
      EXPECT_EQ(Bytes(shown.begin(), shown.end()), file) << visit.score;
      EXPECT_EQ(ReadFile("tyuu.pod"), file);
    }
  }
  SetLanguage(platform::Language::kJapanese);
}

}  // namespace
