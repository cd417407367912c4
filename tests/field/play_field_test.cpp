// The play field, the random kinds and a freshly started game.
#include <gtest/gtest.h>

#include <vector>

#include "core/scene_switch.h"
#include "platform/call_log.h"
#include "play/play_scene.h"

namespace {

TEST(RandomKindTest, EachKindDependsOnlyOnItsSeed) {
  const std::vector<std::int32_t> expected = {-7, -2, -6, -1, -4, -7};
  PlayScene scene(0);
  for (std::uint32_t seed = 0; seed < expected.size(); ++seed) {
    EXPECT_EQ(scene.RandomKind(), expected[seed]) << "seed " << seed;
    EXPECT_EQ(scene.seedCounter, seed + 1);
  }
  PlayScene again(3);
  EXPECT_EQ(again.RandomKind(), -1);
}

TEST(RandomKindTest, SeedCounterWrapsToZero) {
  PlayScene scene(4294967295u);
  const std::int32_t kind = scene.RandomKind();
  EXPECT_EQ(scene.seedCounter, 0u);
  EXPECT_GE(kind, -8);
  EXPECT_LE(kind, -1);
  EXPECT_EQ(scene.RandomKind(), -7);  // seed 0 again
}

TEST(PlaySceneTest, ConstructionPlacesEveryVisibleCellAndTheHiddenRowAtTheOrigin) {
  PlayScene scene(0);
  for (int column = 0; column < kFieldColumns; ++column) {
    const Cell& hidden = scene.At(column, 0);
    EXPECT_EQ(hidden.x, 0);
    EXPECT_EQ(hidden.y, 0);
    for (int row = 1; row < kFieldRows; ++row) {
      const Cell& cell = scene.At(column, row);
      EXPECT_EQ(cell.x, 20 + 40 * column);
      EXPECT_EQ(cell.y, 20 + 40 * (row - 1));
      EXPECT_EQ(cell.kind, 0);
      EXPECT_EQ(cell.rise | cell.skip | cell.popMark | cell.launched, 0);
    }
  }
  EXPECT_EQ(&scene.At(0, 1), &scene.field[1]);
  EXPECT_EQ(&scene.At(1, 0), &scene.field[12]);
  EXPECT_EQ(scene.At(0, 1).x, 20);
  EXPECT_EQ(scene.At(0, 1).y, 20);
  EXPECT_EQ(scene.At(7, 11).x, 300);
  EXPECT_EQ(scene.At(7, 11).y, 420);
  const int previewX[3] = {370, 410, 450};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(scene.next[i].x, previewX[i]);
    EXPECT_EQ(scene.next[i].y, 40);
    EXPECT_EQ(scene.next[i].kind, 0);
  }
  EXPECT_EQ(scene.phase, 0);
  EXPECT_EQ(scene.spawnPending, 1);
  EXPECT_EQ(scene.paused, -1);
  EXPECT_EQ(scene.seedCounter, 0u);
}

class StartedPlaySceneTest : public testing::TestWithParam<std::pair<int, std::int32_t>> {
 protected:
  void SetUp() override { platform::SetActiveCallLog(&log_); }
  void TearDown() override {
    platform::SetActiveCallLog(nullptr);
    SetLevel(1);
  }
  platform::CallLog log_;
};

TEST_P(StartedPlaySceneTest, StartsPausedWithAPreviewAndTheLevelsTimer) {
  const auto [level, interval] = GetParam();
  SetLevel(level);
  PlayScene scene(0);
  // Leftovers of an earlier game that Start must sweep away.
  scene.At(3, 5).kind = -6;
  scene.At(3, 5).popMark = 1;
  scene.At(3, 5).skip = 1;
  scene.score = 99;
  scene.removedCount = 5;
  scene.chainPoints = 3;
  scene.pieceCount = 12;
  scene.speedUpCount = 36;
  scene.fastDrop = 1;
  scene.phase = -1;
  scene.pieceActive = 1;
  scene.Start(nullptr);

  EXPECT_EQ(scene.next[0].kind, -7);
  EXPECT_EQ(scene.next[1].kind, -2);
  EXPECT_EQ(scene.next[2].kind, -6);
  EXPECT_EQ(scene.seedCounter, 3u);
  EXPECT_EQ(scene.interval, interval);
  EXPECT_EQ(scene.phase, 0);
  EXPECT_EQ(scene.spawnPending, 1);
  EXPECT_EQ(scene.paused, -1);
  EXPECT_EQ(scene.pieceActive, 0);
  EXPECT_EQ(scene.score | scene.removedCount | scene.chainPoints | scene.pieceCount |
                scene.speedUpCount | scene.fastDrop,
            0);
  EXPECT_EQ(scene.At(3, 5).kind, 0);
  EXPECT_EQ(scene.At(3, 5).popMark, 0);
  EXPECT_EQ(scene.At(3, 5).skip, 1) << "skip is not part of clearing a cell";
  EXPECT_EQ(scene.At(3, 5).x, 140);

  const std::vector<platform::RecordedCall> expected = {
      {"SetLastResult", {0, 0}, ""},
      {"SetTimer", {1, interval}, ""},
  };
  EXPECT_EQ(log_.Calls(), expected);
}

INSTANTIATE_TEST_SUITE_P(Levels, StartedPlaySceneTest,
                         testing::Values(std::pair{0, 500}, std::pair{1, 1000},
                                         std::pair{2, 2000}));

TEST(StartedPlaySceneTest2, TicksChangeNothingWhilePaused) {
  PlayScene scene(0);
  scene.Start(nullptr);
  const Field before = scene.field;
  for (int i = 0; i < 5; ++i) scene.OnTimer(nullptr);
  EXPECT_EQ(scene.spawnPending, 1);
  EXPECT_EQ(scene.seedCounter, 3u);
  for (int i = 0; i < kFieldCells; ++i) EXPECT_EQ(scene.field[i].kind, before[i].kind);
}

}  // namespace
