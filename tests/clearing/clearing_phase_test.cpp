// Whole clearing phases, tick by tick, as the player watches them.
#include <vector>

#include "tests/clearing/clearing_fixture.h"

namespace {

// The state after one tick, with one column of the field from row 0 down.
struct TickState {
  int tick;
  const char* column;
  int chainPoints;
  int removedCount;
  int claps;
  int fieldSettled;
  int resolveBusy;
};

class ClearingPhase : public ClearingTest {
 protected:
  void ExpectTicks(int column, const std::vector<TickState>& states) {
    int tick = 0;
    for (const TickState& want : states) {
      while (tick < want.tick) {
        Tick();
        ++tick;
      }
      SCOPED_TRACE("after tick " + std::to_string(tick));
      EXPECT_EQ(ColumnText(scene_, column), want.column);
      EXPECT_EQ(scene_.chainPoints, want.chainPoints);
      EXPECT_EQ(scene_.removedCount, want.removedCount);
      EXPECT_EQ(Claps(), want.claps);
      EXPECT_EQ(g_fieldSettled, want.fieldSettled);
      EXPECT_EQ(g_resolveBusy, want.resolveBusy);
    }
  }

  void ExpectPhaseEndedNow() {
    EXPECT_EQ(scene_.phase, 0);
    EXPECT_EQ(scene_.spawnPending, -1);
    const std::vector<platform::RecordedCall> expected = {{"KillTimer", {1}, ""},
                                                          {"SetTimer", {1, scene_.interval}, ""}};
    EXPECT_EQ(log_.Calls(), expected);
  }
};

TEST_F(ClearingPhase, SinglePinPopsItsBalloonFliesUpAndFallsBack) {
  Land({"r . . . . . . .", "R . . . . . . ."});
  ExpectTicks(0, {
                     {1, ". . . . . . . . . . r R", 1, 0, 0, 1, 1},
                     {2, ". . . . . . . . . . r1 *", 1, 1, 1, 1, 1},
                     {3, ". . . . . . . . . r1 . .", 1, 1, 0, 1, 1},
                     {4, ". . . . . . . . r1 . . .", 1, 1, 0, 1, 1},
                     {5, ". . . . . . . r1 . . . .", 1, 1, 0, 1, 1},
                     {6, ". . . . . . . r . . . .", 1, 1, 0, 1, 1},
                     {7, ". . . . . . . r . . . .", 1, 1, 0, 0, 0},
                     {8, ". . . . . . . . r . . .", 1, 1, 0, 0, 0},
                     {11, ". . . . . . . . . . . r", 1, 1, 0, 0, 0},
                 });
  EXPECT_EQ(scene_.phase, -1);
  Tick();
  ExpectPhaseEndedNow();
  EXPECT_EQ(scene_.score, 0) << "the points wait for the next spawn";
  Tick();
  EXPECT_EQ(scene_.score, 10);
  EXPECT_EQ(scene_.chainPoints, 0);
}

TEST_F(ClearingPhase, PinLaunchedFromRowOneRestsInTheHiddenRowThenFallsBack) {
  Land({". . . . . . . .", "r . . . . . . .", "R . . . . . . .", "F . . . . . . .",
        "F . . . . . . .", "F . . . . . . .", "F . . . . . . .", "F . . . . . . .",
        "F . . . . . . .", "F . . . . . . .", "F . . . . . . .", "F . . . . . . ."});
  ExpectTicks(0, {
                     {2, ". r1 * F F F F F F F F F", 1, 1, 1, 1, 1},
                     {3, "r1 . . F F F F F F F F F", 1, 1, 0, 1, 1},
                 });
  EXPECT_EQ(scene_.At(0, 0).rise, 1);
  Tick();
  EXPECT_EQ(scene_.At(0, 0).rise, 3) << "nowhere higher to go";
  ExpectTicks(0, {
                     {1, "r . . F F F F F F F F F", 1, 1, 0, 1, 1},
                     {2, "r . . F F F F F F F F F", 1, 1, 0, 0, 0},
                     {3, ". r . F F F F F F F F F", 1, 1, 0, 0, 0},
                     {4, ". . r F F F F F F F F F", 1, 1, 0, 0, 0},
                 });
  Tick();
  ExpectPhaseEndedNow();
}

TEST_F(ClearingPhase, LowerOfTwoStackedPinsIsRemovedWhenBlockedAtOnce) {
  Land({"g . . . . . . .", "r . . . . . . .", "R . . . . . . ."});
  ExpectTicks(0, {
                     {1, ". . . . . . . . . g r R", 1, 0, 0, 1, 1},
                     {2, ". . . . . . . . . g r1 *", 1, 1, 1, 1, 1},
                     {3, ". . . . . . . . . g . .", 1, 1, 0, 1, 1},
                     {4, ". . . . . . . . . g . .", 1, 1, 0, 0, 0},
                     {5, ". . . . . . . . . . g .", 1, 1, 0, 0, 0},
                     {6, ". . . . . . . . . . . g", 1, 1, 0, 0, 0},
                 });
  EXPECT_EQ(scene_.At(0, 10).rise, 0) << "a removed pin leaves a cleared cell";
  Tick();
  ExpectPhaseEndedNow();
}

TEST_F(ClearingPhase, QuietFieldsEndTheTickTheyHaveSettled) {
  struct Case {
    const char* what;
    Rows rows;
    int ticks;
  };
  const Case cases[] = {
      {"pin over another colour", {"r . . . . . . .", "G . . . . . . ."}, 1},
      {"balloon over a pin", {"R . . . . . . .", "r . . . . . . ."}, 1},
      {"pin beside its balloon", {"r R . . . . . ."}, 1},
      {"pin diagonally above its balloon", {"r . . . . . . .", "F R . . . . . ."}, 1},
      {"flask over a balloon", {"F . . . . . . .", "R . . . . . . ."}, 1},
      {"piece falling six rows",
       {". . . r g b . .", ". . . . . . . .", ". . . . . . . .", ". . . . . . . .",
        ". . . . . . . .", ". . . . . . . .", ". . . . . . . ."},
       7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    Land(c.rows, 488);
    EXPECT_EQ(TicksToEnd(), c.ticks);
    ExpectPhaseEndedNow();
    EXPECT_EQ(scene_.chainPoints, 0);
  }
}

TEST_F(ClearingPhase, PopThatThrowsAPinIntoASecondBalloonIsWorthFourPoints) {
  Land({"r . . . . . . .", "R r R . . . . ."});
  EXPECT_GT(TicksToEnd(), 0);
  EXPECT_EQ(scene_.chainPoints, 4);
  EXPECT_EQ(scene_.removedCount, 2);
  Tick();
  EXPECT_EQ(scene_.score, 160);
}

TEST_F(ClearingPhase, FlagsLeftSetByAnInterruptedPhaseScanBeforeAnythingFalls) {
  g_fieldSettled = 1;
  g_resolveBusy = 1;
  scene_.Start(nullptr);
  EXPECT_EQ(g_fieldSettled, 1) << "a new game keeps the flags";
  EXPECT_EQ(g_resolveBusy, 1);
  // A piece left hanging: its pin marks the balloon before either falls.
  Land({"r . . . . . . .", "R . . . . . . .", ". . . . . . . .", ". . . . . . . ."});
  ExpectTicks(0, {
                     {1, ". . . . . . . . r R . .", 1, 0, 0, 1, 1},
                     {2, ". . . . . . . . r1 * . .", 1, 1, 1, 1, 1},
                 });
}

TEST_F(ClearingPhase, FlagsLeftSetWithNothingToMatchCostOneQuietTick) {
  g_fieldSettled = 1;
  g_resolveBusy = 1;
  Land({"r . . . . . . .", ". . . . . . . ."});
  ExpectTicks(0, {
                     {1, ". . . . . . . . . . r .", 0, 0, 0, 0, 0},
                     {2, ". . . . . . . . . . . r", 0, 0, 0, 0, 0},
                 });
  Tick();
  ExpectPhaseEndedNow();
}

TEST_F(ClearingPhase, GravityMovesOnlyTheKindOneRowPerStep) {
  Land({"r . . . . . . .", "g . . . . . . .", ". . . . . . . .", ". . . . . . . ."});
  scene_.At(0, 10).skip = 1;
  EXPECT_EQ(scene_.GravityStep(), 0);
  EXPECT_EQ(ColumnText(scene_, 0), ". . . . . . . . . r g .");
  EXPECT_EQ(scene_.At(0, 10).skip, 1) << "the cell entered keeps its own skip";
  EXPECT_EQ(scene_.GravityStep(), 0);
  EXPECT_EQ(scene_.GravityStep(), 1);
  EXPECT_EQ(ColumnText(scene_, 0), ". . . . . . . . . . r g");
}

}  // namespace
