// A game from its paused start: the spawn, the speed-up and the flask, the
// fall and the landing, game over and what a clearing phase is worth.
#include <climits>

#include "play/chain_score.h"
#include "play_fixture.h"

namespace {

const Piece kSpawn = {{{3, 1}, {4, 1}, {5, 1}}};

TEST_F(PlayTest, NothingMovesUntilReturnThenTheFirstTickSpawnsThePreview) {
  scene_.Start(nullptr);
  const auto preview = scene_.next;
  log_.Clear();
  for (int tick = 0; tick < 5; ++tick) scene_.OnTimer(nullptr);
  EXPECT_EQ(OccupiedCells(), 0);
  EXPECT_EQ(scene_.spawnPending, 1);
  EXPECT_TRUE(Calls().empty());

  scene_.OnKeyDown(nullptr, VK_RETURN);
  scene_.OnTimer(nullptr);
  EXPECT_EQ(KindsAt(kSpawn), (Kinds{preview[0].kind, preview[1].kind, preview[2].kind}));
  EXPECT_EQ(scene_.piece, kSpawn);
  EXPECT_EQ(scene_.spawnPending, 0);
  EXPECT_EQ(scene_.pieceActive, 1);
}

TEST_F(PlayTest, SeedZeroSpawnsItsFirstThreeKindsAndPreviewsTheNextThree) {
  StartRunning();
  EXPECT_EQ((Kinds{scene_.next[0].kind, scene_.next[1].kind, scene_.next[2].kind}),
            (Kinds{-7, -2, -6}));
  scene_.OnTimer(nullptr);
  EXPECT_EQ(KindsAt(kSpawn), (Kinds{-7, -2, -6}));
  EXPECT_EQ((Kinds{scene_.next[0].kind, scene_.next[1].kind, scene_.next[2].kind}),
            (Kinds{-1, -4, -7}));
  EXPECT_EQ(scene_.seedCounter, 6u);
}

TEST_F(PlayTest, StartArmsTheLevelsPeriod) {
  const std::int32_t periods[3] = {500, 1000, 2000};
  for (int level = 0; level < 3; ++level) {
    log_.Clear();
    SetLevel(level);
    scene_.Start(nullptr);
    EXPECT_EQ(scene_.interval, periods[level]);
    EXPECT_EQ(Calls(),
              (std::vector{Call("SetLastResult", {0, 0}), Call("SetTimer", {1, periods[level]})}));
  }
}

// Each spawned cell re-arms the timer at the period it has just reached.
TEST_F(PlayTest, ASpawnRearmsTheTimerOncePerCell) {
  StartRunning();
  scene_.OnTimer(nullptr);
  EXPECT_EQ(Calls(), (std::vector{Call("KillTimer", {1}), Call("SetTimer", {1, 496}),
                                  Call("KillTimer", {1}), Call("SetTimer", {1, 492}),
                                  Call("KillTimer", {1}), Call("SetTimer", {1, 488})}));
}

TEST_F(PlayTest, TheGameSpeedsUpAndGivesTimeBackAtEveryFiftiethPiece) {
  struct Case {
    int level;
    int piece;
    std::int32_t interval;  // after that piece's spawn
  };
  const Case cases[] = {
      {0, 1, 488},  {0, 37, 56},   {0, 38, 48}, {0, 49, 48},  {0, 50, 379},
      {0, 51, 367}, {0, 100, 294}, {1, 1, 988}, {1, 50, 844}, {2, 50, 1844},
  };
  for (const Case& c : cases) {
    StartRunning(c.level);
    for (int piece = 1; piece <= c.piece; ++piece) SpawnOnEmptyField();
    EXPECT_EQ(scene_.interval, c.interval) << "level " << c.level << ", piece " << c.piece;
  }
}

TEST_F(PlayTest, TheFlaskIsTheLeftCellOfEveryFiftiethPieceAfterTheFirst) {
  StartRunning();
  for (int piece = 1; piece <= 151; ++piece) {
    const std::uint32_t seedBefore = scene_.seedCounter;
    SpawnOnEmptyField();
    // The kind drawn for the flask's cell still uses up its seed.
    EXPECT_EQ(scene_.seedCounter, seedBefore + 3);
    const bool flaskPiece = piece > 1 && piece % 50 == 1;
    EXPECT_EQ(scene_.At(3, 1).kind == kFlask, flaskPiece) << "piece " << piece;
    EXPECT_NE(scene_.At(4, 1).kind, kFlask);
    EXPECT_NE(scene_.At(5, 1).kind, kFlask);
    EXPECT_EQ(scene_.next[0].kind == kFlask, piece % 50 == 0) << "piece " << piece;
  }
}

TEST_F(PlayTest, ThePieceFallsOneRowPerTickWithItsKinds) {
  StartRunning();
  scene_.OnTimer(nullptr);
  const Kinds kinds = KindsAt(kSpawn);
  log_.Clear();
  for (int row = 2; row <= 11; ++row) {
    scene_.OnTimer(nullptr);
    const Piece expected = {{{3, row}, {4, row}, {5, row}}};
    ASSERT_EQ(scene_.piece, expected);
    EXPECT_EQ(KindsAt(expected), kinds);
    EXPECT_EQ(OccupiedCells(), 3);
  }
  EXPECT_TRUE(Calls().empty());  // falling keeps the timer as it is
  EXPECT_EQ(scene_.phase, 0);
}

TEST_F(PlayTest, APieceLandsAtTheTickAfterItComesToRest) {
  struct Case {
    const char* name;
    Piece piece;
    std::vector<CellPos> blockers;
  };
  const Case cases[] = {
      {"flat on the floor", {{{2, 11}, {3, 11}, {4, 11}}}, {}},
      {"upright on the floor, P0 lowest", {{{6, 11}, {6, 10}, {6, 9}}}, {}},
      {"upright on the floor, P2 lowest", {{{6, 9}, {6, 10}, {6, 11}}}, {}},
      {"flat, a cell under P0", {{{2, 5}, {3, 5}, {4, 5}}}, {{2, 6}}},
      {"flat, a cell under P1", {{{2, 5}, {3, 5}, {4, 5}}}, {{3, 6}}},
      {"flat, a cell under P2", {{{4, 5}, {3, 5}, {2, 5}}}, {{2, 6}}},
      {"upright, a cell under P2", {{{0, 3}, {0, 4}, {0, 5}}}, {{0, 6}}},
      {"upright, a cell under P0", {{{7, 5}, {7, 4}, {7, 3}}}, {{7, 6}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    scene_ = PlayScene(0);
    PlacePiece(c.piece);
    for (const CellPos& cell : c.blockers) Block({cell});
    scene_.fastDrop = 1;
    log_.Clear();
    scene_.OnTimer(nullptr);
    EXPECT_EQ(scene_.piece, c.piece);
    EXPECT_EQ(KindsAt(c.piece), (Kinds{-1, -2, -3}));
    EXPECT_EQ(scene_.phase, -1);
    EXPECT_EQ(scene_.pieceActive, 0);
    EXPECT_EQ(scene_.fastDrop, 1);  // a landing does not end a fast fall
    EXPECT_EQ(Calls(), (std::vector{Call("SetTimer", {1, 100})}));
  }
}

TEST_F(PlayTest, AnUprightPieceIsNotHeldUpByCellsBesideIt) {
  scene_ = PlayScene(0);
  PlacePiece({{{3, 3}, {3, 4}, {3, 5}}});
  Block({{2, 6}, {4, 6}, {2, 5}, {4, 5}});
  scene_.OnTimer(nullptr);
  EXPECT_EQ(scene_.piece, (Piece{{{3, 4}, {3, 5}, {3, 6}}}));
  EXPECT_EQ(scene_.phase, 0);
}

// The landing test comes at the tick, so a piece that has just come to rest
// can still be steered once, and falls on if its new place allows.
TEST_F(PlayTest, ARestingPieceCanStillBeSteeredForOneTick) {
  struct Case {
    const char* name;
    Piece piece;
    std::vector<CellPos> blockers;
    UINT key;
    Piece afterKey;
    bool landsAtTheTick;
  };
  const Case cases[] = {
      {"on the floor, moved left",
       {{{3, 11}, {4, 11}, {5, 11}}},
       {},
       VK_LEFT,
       {{{2, 11}, {3, 11}, {4, 11}}},
       true},
      {"on a cell, moved off it",
       {{{3, 5}, {4, 5}, {5, 5}}},
       {{5, 6}},
       VK_LEFT,
       {{{2, 5}, {3, 5}, {4, 5}}},
       false},
      {"on a cell, turned upright",
       {{{3, 5}, {4, 5}, {5, 5}}},
       {{3, 6}},
       VK_UP,
       {{{4, 4}, {4, 5}, {4, 6}}},
       false},
      {"upright on the floor, turned flat",
       {{{4, 9}, {4, 10}, {4, 11}}},
       {},
       VK_UP,
       {{{5, 10}, {4, 10}, {3, 10}}},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    scene_ = PlayScene(0);
    PlacePiece(c.piece);
    for (const CellPos& cell : c.blockers) Block({cell});
    scene_.OnKeyDown(nullptr, c.key);
    EXPECT_EQ(scene_.piece, c.afterKey);
    scene_.OnTimer(nullptr);
    EXPECT_EQ(scene_.phase != 0, c.landsAtTheTick);
  }
}

TEST_F(PlayTest, ABlockedSpawnEndsTheGameWithTheLastPhasesPoints) {
  for (int blocked = 3; blocked <= 5; ++blocked) {
    StartRunning();
    scene_.At(blocked, 1).kind = -5;
    scene_.score = 40;
    scene_.removedCount = 7;
    scene_.chainPoints = 4;
    scene_.spawnPending = -1;
    log_.Clear();
    scene_.OnTimer(nullptr);
    EXPECT_EQ(scene_.score, 200) << "column " << blocked;
    EXPECT_EQ(scene_.chainPoints, 0);
    EXPECT_EQ(Calls(), (std::vector{Call("KillTimer", {1}), Call("SetLastResult", {200, 7}),
                                    Call("ChangeScene", {Ranking})}));
    EXPECT_EQ(scene_.pieceCount, 0);  // nothing was spawned
  }
}

TEST_F(PlayTest, AClearingPhasesPointsAreScoredAtTheNextSpawn) {
  StartRunning();
  scene_.chainPoints = 4;
  scene_.OnTimer(nullptr);
  EXPECT_EQ(scene_.score, 160);
  EXPECT_EQ(scene_.chainPoints, 0);
  EXPECT_EQ(scene_.pieceActive, 1);
}

TEST(ChainScoreTest, PointsAreSquaredTimesTenAndTheScoreStopsAtNineDigits) {
  struct Case {
    std::int32_t score;
    std::int32_t chainPoints;
    std::int32_t expected;
  };
  const Case cases[] = {
      {0, 0, 0},
      {0, 1, 10},
      {0, 4, 160},
      {100, 2, 140},
      {0, 9999, 999800010},
      {0, 10000, kMaxScore},
      {999000000, 1000, kMaxScore},
      {kMaxScore, 1, kMaxScore},
      {0, INT32_MAX, kMaxScore},
      {500, INT32_MIN, kMaxScore},
      {INT32_MAX, 3, INT32_MAX},  // never lowered
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AddChainScore(c.score, c.chainPoints), c.expected)
        << c.score << " + " << c.chainPoints << " points";
  }
}

}  // namespace
