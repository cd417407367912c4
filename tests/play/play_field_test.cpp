// The play field, the random kinds and a freshly started game.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "core/scene_switch.h"
#include "platform/base/call_log.h"
#include "platform/win32/host.h"
#include "play/play_scene.h"

namespace {

// Each kind depends only on its seed, and the seed counter wraps to 0.
TEST(RandomKindTest, EachKindDependsOnlyOnItsSeed) {
  const std::vector<std::int32_t> expected = {-7, -2, -6, -1, -4, -7};
  PlayScene scene(0);
  for (std::uint32_t seed = 0; seed < expected.size(); ++seed) {
    EXPECT_EQ(scene.RandomKind(), expected[seed]) << "seed " << seed;
    EXPECT_EQ(scene.seedCounter, seed + 1);
  }
  EXPECT_EQ(PlayScene(3).RandomKind(), -1);
  PlayScene last(4294967295u);
  const std::int32_t kind = last.RandomKind();
  EXPECT_EQ(last.seedCounter, 0u);
  EXPECT_TRUE(kind >= -8 && kind <= -1) << kind;
  EXPECT_EQ(last.RandomKind(), -7);  // seed 0 again
}

// The field is stored column by column, row 0 hidden above it at the origin.
TEST(PlaySceneTest, ConstructionPlacesEveryVisibleCellAndTheHiddenRowAtTheOrigin) {
  PlayScene scene(0);
  for (int column = 0; column < kFieldColumns; ++column) {
    EXPECT_EQ(scene.At(column, 0).x | scene.At(column, 0).y, 0);
    for (int row = 1; row < kFieldRows; ++row) {
      const Cell& cell = scene.At(column, row);
      EXPECT_EQ(cell.x, 20 + 40 * column);
      EXPECT_EQ(cell.y, 20 + 40 * (row - 1));
      EXPECT_EQ(cell.kind | cell.rise | cell.skip | cell.popMark | cell.launched, 0);
    }
  }
  EXPECT_EQ(&scene.At(0, 1), &scene.field[1]);
  EXPECT_EQ(&scene.At(1, 0), &scene.field[12]);
  const int previewX[3] = {370, 410, 450};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(scene.next[i].x, previewX[i]);
    EXPECT_EQ(scene.next[i].y, 40);
  }
}

TEST(PlaySceneTest, StartsPausedWithAPreviewAndTheLevelsTimer) {
  for (const auto& [level, interval] :
       {std::pair{0, 500}, std::pair{1, 1000}, std::pair{2, 2000}}) {
    SCOPED_TRACE(level);
    platform::CallLog log;
    platform::InstallHost({.calls = &log});
    SetLevel(level);
    PlayScene scene(0);
    // Leftovers of an earlier game that Start must sweep away.
    scene.At(3, 5).kind = -6;
    scene.At(3, 5).popMark = scene.At(3, 5).skip = 1;
    scene.score = 99;
    scene.removedCount = 5;
    scene.chainPoints = 3;
    scene.pieceCount = 12;
    scene.speedUpCount = 36;
    scene.fastDrop = scene.pieceActive = 1;
    scene.phase = Phase::kClearing;
    scene.Start(nullptr);
    platform::UninstallHost();

    EXPECT_EQ((std::array{scene.next[0].kind, scene.next[1].kind, scene.next[2].kind}),
              (std::array{-7, -2, -6}));
    EXPECT_EQ(scene.seedCounter, 3u);
    EXPECT_EQ(scene.interval, interval);
    EXPECT_EQ(scene.phase, Phase::kFalling);
    EXPECT_EQ(scene.spawnPending, PendingSpawn::kFirstPiece);
    EXPECT_EQ(scene.paused, Pause::kPaused);
    EXPECT_EQ(scene.pieceActive | scene.score | scene.removedCount | scene.chainPoints |
                  scene.pieceCount | scene.speedUpCount | scene.fastDrop,
              0);
    EXPECT_EQ(scene.At(3, 5).kind | scene.At(3, 5).popMark, 0);
    EXPECT_EQ(scene.At(3, 5).skip, 1) << "skip is not part of clearing a cell";
    EXPECT_EQ(scene.At(3, 5).x, 140);
    const std::vector<platform::RecordedCall> expected = {{"SetLastResult", {0, 0}, ""},
                                                          {"SetTimer", {1, interval}, ""}};
    EXPECT_EQ(log.Calls(), expected);
  }
  SetLevel(1);
}

}  // namespace
