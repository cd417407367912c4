// Play control beyond what the scripted whole game reaches: moves and turns at
// the walls and their refusals, the landing tick, the speed over 150 pieces
// with their flasks, and the score of a phase without overflow.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <vector>

#include "core/scene_switch.h"
#include "platform/win32/host.h"
#include "play/chain_score.h"
#include "play/play_scene.h"

namespace {

using Piece = std::array<CellPos, 3>;

class PlayTest : public testing::Test {
 protected:
  void SetUp() override {
    SetSceneSwitch([](int id) { platform::RecordCall("ChangeScene", {id}); });
  }
  void TearDown() override {
    SetSceneSwitch(nullptr);
    platform::UninstallHost();
    SetLevel(1);
  }
  void Begin(int level) {
    SetLevel(level);
    scene_ = PlayScene(0);
    scene_.Start(nullptr);
    scene_.OnKeyDown(nullptr, VK_RETURN);
  }
  std::int32_t& Kind(CellPos p) { return scene_.At(p.column, p.row).kind; }

  PlayScene scene_{0};
};

TEST_F(PlayTest, TheGameSpeedsUpAndEveryFiftiethPieceBringsAFlask) {
  struct Case {
    int level, pieces;
    std::int32_t interval;  // after the last piece's spawn
  };
  const Case cases[] = {{0, 1, 488},   {0, 38, 48},   {0, 49, 48},  {0, 50, 379},
                        {0, 100, 294}, {0, 151, 218}, {1, 50, 844}, {2, 50, 1844}};
  for (const Case& c : cases) {
    Begin(c.level);
    for (int piece = 1; piece <= c.pieces; ++piece) {
      Kind({3, 1}) = Kind({4, 1}) = Kind({5, 1}) = 0;  // room to spawn
      scene_.spawnPending = PendingSpawn::kFirstPiece;
      scene_.OnTimer(nullptr);
      ASSERT_EQ(Kind({3, 1}) == kFlask, piece > 1 && piece % 50 == 1) << piece;
    }
    EXPECT_EQ(scene_.interval, c.interval) << c.level << ", piece " << c.pieces;
    // The kind drawn for the flask's cell uses up its seed all the same.
    EXPECT_EQ(scene_.seedCounter, 3u + 3u * c.pieces);
  }
}

// Each case steers a piece of kinds -1, -2, -3 among balloons, then ticks once:
// the landing test comes at the tick, so a piece at rest can still be steered.
TEST_F(PlayTest, MovesAndTurnsCarryTheKindsOrAreRefusedAndTheTickLandsOrDrops) {
  const Piece flat{{{3, 5}, {4, 5}, {5, 5}}}, upright{{{4, 4}, {4, 5}, {4, 6}}};
  const Piece leftWall{{{0, 4}, {0, 5}, {0, 6}}}, rightWall{{{7, 4}, {7, 5}, {7, 6}}};
  const Piece floor{{{3, 11}, {4, 11}, {5, 11}}}, p0Right{{{4, 5}, {3, 5}, {2, 5}}};
  struct Case {
    Piece from;
    UINT key;
    std::vector<CellPos> balloons;
    Piece to;  // `from` when refused
    bool lands;
  };
  const Case cases[] = {
      {flat, VK_UP, {{3, 4}, {5, 6}}, upright, false},  // swept corners do not matter
      {flat, VK_SPACE, {{3, 6}}, {{{4, 6}, {4, 5}, {4, 4}}}, false},
      {flat, VK_UP, {{4, 4}}, flat, false},
      {flat, VK_SPACE, {{4, 6}}, flat, true},
      {upright, VK_UP, {}, {{{5, 5}, {4, 5}, {3, 5}}}, false},
      {upright, VK_SPACE, {{4, 7}}, flat, false},
      {upright, VK_UP, {{3, 5}, {4, 7}}, upright, true},
      {upright, VK_SPACE, {{5, 5}}, upright, false},
      {{{{3, 1}, {4, 1}, {5, 1}}}, VK_UP, {}, {{{4, 0}, {4, 1}, {4, 2}}}, false},
      {floor, VK_UP, {}, floor, true},
      {floor, VK_LEFT, {}, {{{2, 11}, {3, 11}, {4, 11}}}, true},
      {{{{4, 9}, {4, 10}, {4, 11}}}, VK_UP, {}, {{{5, 10}, {4, 10}, {3, 10}}}, false},
      {leftWall, VK_UP, {}, {{{2, 5}, {1, 5}, {0, 5}}}, false},
      {leftWall, VK_SPACE, {{1, 6}}, {{{0, 5}, {1, 5}, {2, 5}}}, true},
      {leftWall, VK_UP, {{1, 5}}, leftWall, false},
      {leftWall, VK_SPACE, {{2, 5}}, leftWall, false},
      {leftWall, VK_LEFT, {}, leftWall, false},
      {rightWall, VK_UP, {}, {{{7, 5}, {6, 5}, {5, 5}}}, false},
      {rightWall, VK_SPACE, {}, {{{5, 5}, {6, 5}, {7, 5}}}, false},
      {rightWall, VK_UP, {{6, 5}}, rightWall, false},
      {rightWall, VK_SPACE, {{5, 5}, {7, 7}}, rightWall, true},
      {rightWall, VK_RIGHT, {}, rightWall, false},
      {flat, VK_RIGHT, {{6, 4}, {7, 6}}, {{{4, 5}, {5, 5}, {6, 5}}}, false},
      {flat, VK_LEFT, {{5, 6}}, {{{2, 5}, {3, 5}, {4, 5}}}, false},
      {flat, VK_RIGHT, {{6, 5}, {4, 6}}, flat, true},
      {{{{7, 5}, {6, 5}, {5, 5}}}, VK_RIGHT, {}, {{{7, 5}, {6, 5}, {5, 5}}}, false},
      {p0Right, VK_LEFT, {{1, 5}}, p0Right, false},
      {upright, VK_RIGHT, {}, {{{5, 4}, {5, 5}, {5, 6}}}, false},
      {upright, VK_LEFT, {{3, 6}}, upright, false},
      {upright, VK_RIGHT, {{5, 4}}, upright, false},
  };
  for (std::size_t n = 0; n < std::size(cases); ++n) {
    const Case& c = cases[n];
    Begin(0);
    scene_.spawnPending = PendingSpawn::kNone;
    scene_.pieceActive = 1;
    scene_.piece = c.from;
    for (int i = 0; i < 3; ++i) Kind(c.from[i]) = -1 - i;
    for (const CellPos& cell : c.balloons) Kind(cell) = -5;
    scene_.OnKeyDown(nullptr, c.key);
    EXPECT_EQ(scene_.piece, c.to) << "case " << n;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Kind(c.to[i]), -1 - i) << "case " << n;
    const auto occupied = std::count_if(scene_.field.begin(), scene_.field.end(),
                                        [](const Cell& cell) { return cell.kind != 0; });
    EXPECT_EQ(occupied, 3 + std::ssize(c.balloons)) << "case " << n;
    scene_.OnTimer(nullptr);
    EXPECT_EQ(scene_.phase, c.lands ? Phase::kClearing : Phase::kFalling) << "case " << n;
    EXPECT_EQ(scene_.piece[1].row, c.to[1].row + (c.lands ? 0 : 1)) << "case " << n;
  }
}

TEST_F(PlayTest, KeysStartPauseDropAndLeaveTheGame) {
  platform::CallLog log;
  platform::InstallHost({.calls = &log});
  SetLevel(1);
  scene_ = PlayScene(0);
  scene_.Start(nullptr);
  for (int i = 0; i < 3; ++i) scene_.OnTimer(nullptr);  // paused: nothing moves
  EXPECT_EQ(scene_.spawnPending, PendingSpawn::kFirstPiece);
  scene_.OnKeyDown(nullptr, VK_RETURN);
  scene_.OnTimer(nullptr);  // the first tick spawns the previewed kinds
  EXPECT_EQ((std::array{Kind({3, 1}), Kind({4, 1}), Kind({5, 1})}), (std::array{-7, -2, -6}));
  EXPECT_EQ((std::array{scene_.next[0].kind, scene_.next[1].kind, scene_.next[2].kind}),
            (std::array{-1, -4, -7}));
  EXPECT_EQ(scene_.seedCounter, 6u);

  log.Clear();
  scene_.OnKeyDown(nullptr, VK_DOWN);
  scene_.OnKeyUp();  // any release ends the fast fall
  const std::vector<platform::RecordedCall> dropAndBack = {{"KillTimer", {1}, ""},
                                                           {"SetTimer", {1, 1}, ""},
                                                           {"KillTimer", {1}, ""},
                                                           {"SetTimer", {1, scene_.interval}, ""}};
  EXPECT_EQ(log.Calls(), dropAndBack);

  scene_.OnKeyDown(nullptr, VK_DOWN);
  while (scene_.phase == Phase::kFalling) scene_.OnTimer(nullptr);  // falls and lands
  log.Clear();
  scene_.OnKeyUp();  // not while clearing
  EXPECT_EQ(scene_.fastDrop, 1);
  scene_.OnKeyDown(nullptr, VK_RETURN);  // freezes the clearing phase
  const Field frozen = scene_.field;
  scene_.OnTimer(nullptr);
  EXPECT_TRUE(std::equal(frozen.begin(), frozen.end(), scene_.field.begin(),
                         [](const Cell& a, const Cell& b) { return a.kind == b.kind; }));
  EXPECT_TRUE(log.Calls().empty());
  scene_.OnKeyDown(nullptr, VK_RETURN);  // and resumes it
  while (scene_.phase != Phase::kFalling) scene_.OnTimer(nullptr);
  EXPECT_EQ(scene_.spawnPending, PendingSpawn::kAfterClearing);

  log.Clear();
  scene_.OnKeyDown(nullptr, VK_ESCAPE);  // leaves without recording
  const std::vector<platform::RecordedCall> leave = {
      {"KBGMStop", {}, ""}, {"KillTimer", {1}, ""}, {"ChangeScene", {Opening}, ""}};
  EXPECT_EQ(log.Calls(), leave);
}

TEST_F(PlayTest, ThePointsOfTheLastPhaseCountWhenTheSpawnEndsTheGame) {
  platform::CallLog log;
  Begin(0);
  Kind({5, 1}) = -8;
  scene_.chainPoints = 4;
  scene_.removedCount = 7;
  platform::InstallHost({.calls = &log});
  scene_.OnTimer(nullptr);
  const std::vector<platform::RecordedCall> expected = {
      {"KillTimer", {1}, ""}, {"SetLastResult", {160, 7}, ""}, {"ChangeScene", {Ranking}, ""}};
  EXPECT_EQ(log.Calls(), expected);
}

TEST(ChainScoreTest, TenTimesPointsSquaredIsAddedWithoutOverflow) {
  struct Case {
    std::int32_t score, chainPoints, expected;
  };
  const Case cases[] = {{0, 0, 0},
                        {0, 4, 160},
                        {100, 2, 140},
                        {0, 9999, 999800010},
                        {0, 10000, kMaxScore},
                        {999000000, 1000, kMaxScore},
                        {0, INT32_MAX, kMaxScore},
                        {500, INT32_MIN, kMaxScore},
                        {INT32_MAX, 3, INT32_MAX}};
  for (const Case& c : cases) {
    EXPECT_EQ(AddChainScore(c.score, c.chainPoints), c.expected)
        << c.score << " + " << c.chainPoints;
  }
}

}  // namespace
