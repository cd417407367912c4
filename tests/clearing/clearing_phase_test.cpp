// Whole clearing phases, tick by tick, as the player watches them.
#include <vector>

#include "tests/clearing/clearing_fixture.h"

namespace {

// The state after a tick: column 0 from row 0 down, the counters, the claps of
// that tick and the two flags.
struct After {
  int tick;
  const char* column;
  int chainPoints, removedCount, claps, fieldSettled, resolveBusy;
};

class ClearingPhase : public ClearingTest {
 protected:
  void Expect(const std::vector<After>& states) {
    for (const After& want : states) {
      TickTo(want.tick);
      SCOPED_TRACE("after tick " + std::to_string(want.tick));
      EXPECT_EQ(ColumnText(scene_, 0), want.column);
      EXPECT_EQ(scene_.chainPoints, want.chainPoints);
      EXPECT_EQ(scene_.removedCount, want.removedCount);
      EXPECT_EQ(Claps(), want.claps);
      EXPECT_EQ(g_fieldSettled, want.fieldSettled);
      EXPECT_EQ(g_resolveBusy, want.resolveBusy);
    }
  }

  // The falling phase takes over at the spawn interval.
  void ExpectEndsAt(int tick) {
    TickTo(tick - 1);
    EXPECT_EQ(scene_.phase, -1);
    TickTo(tick);
    EXPECT_EQ(scene_.phase, 0);
    EXPECT_EQ(scene_.spawnPending, -1);
    const std::vector<platform::RecordedCall> calls = {{"KillTimer", {1}, ""},
                                                       {"SetTimer", {1, scene_.interval}, ""}};
    EXPECT_EQ(log_.Calls(), calls);
  }
};

TEST_F(ClearingPhase, SinglePinPopsItsBalloonClimbsAndFallsBack) {
  Land({"r . . . . . . .", "R . . . . . . ."});
  Expect({
      {1, ". . . . . . . . . . r R", 1, 0, 0, 1, 1},
      {2, ". . . . . . . . . . r1 *", 1, 1, 1, 1, 1},
      {3, ". . . . . . . . . r1 . .", 1, 1, 0, 1, 1},
      {5, ". . . . . . . r1 . . . .", 1, 1, 0, 1, 1},
      {6, ". . . . . . . r . . . .", 1, 1, 0, 1, 1},
      {7, ". . . . . . . r . . . .", 1, 1, 0, 0, 0},
      {8, ". . . . . . . . r . . .", 1, 1, 0, 0, 0},
      {11, ". . . . . . . . . . . r", 1, 1, 0, 0, 0},
  });
  ExpectEndsAt(12);
  EXPECT_EQ(scene_.score, 0) << "the points wait for the next spawn";
  Tick();
  EXPECT_EQ(scene_.score, 10);
}

TEST_F(ClearingPhase, PinThrownUpFromRowOneRestsInTheHiddenRow) {
  Land({});
  scene_.At(0, 1).kind = KindOf("r");
  scene_.At(0, 2).kind = KindOf("R");
  for (int row = 3; row < kFieldRows; ++row) scene_.At(0, row).kind = kFlask;
  Expect({
      {3, "r1 . . F F F F F F F F F", 1, 1, 0, 1, 1},
      {4, "r1 . . F F F F F F F F F", 1, 1, 0, 1, 1},
  });
  EXPECT_EQ(scene_.At(0, 0).rise, 3) << "nowhere higher to go";
  Expect({
      {5, "r . . F F F F F F F F F", 1, 1, 0, 1, 1},
      {8, ". . r F F F F F F F F F", 1, 1, 0, 0, 0},
  });
  ExpectEndsAt(9);
}

TEST_F(ClearingPhase, LowerOfTwoStackedPinsIsBlockedAtOnceAndRemoved) {
  Land({"g . . . . . . .", "r . . . . . . .", "R . . . . . . ."});
  Expect({
      {2, ". . . . . . . . . g r1 *", 1, 1, 1, 1, 1},
      {3, ". . . . . . . . . g . .", 1, 1, 0, 1, 1},
      {6, ". . . . . . . . . . . g", 1, 1, 0, 0, 0},
  });
  ExpectEndsAt(7);
}

TEST_F(ClearingPhase, QuietLandingEndsInTheTickTheFieldSettles) {
  const std::vector<std::pair<Rows, int>> cases = {
      {{"r . . . . . . .", "G . . . . . . ."}, 1},  // pin over another colour
      {{"R . . . . . . .", "r . . . . . . ."}, 1},  // balloon over a pin
      {{"r . . . . . . .", "F R . . . . . ."}, 1},  // pin diagonally above its balloon
      {{". . . r g b . .", ". . . . . . . .", ". . . . . . . ."}, 3},
  };
  for (const auto& [rows, ticks] : cases) {
    SCOPED_TRACE(rows.front());
    Land(rows);
    ExpectEndsAt(ticks);
  }
}

TEST_F(ClearingPhase, PopThatThrowsAPinIntoASecondBalloonIsWorthFourPoints) {
  Land({"r . . . . . . .", "R r R . . . . ."});
  ExpectEndsAt(12);
  EXPECT_EQ(scene_.chainPoints, 4);
  EXPECT_EQ(scene_.removedCount, 2);
  Tick();
  EXPECT_EQ(scene_.score, 160);
}

// Leaving a game with ESC mid-phase hands both flags to the next game, whose
// first landing is scanned before anything falls.
TEST_F(ClearingPhase, FlagsLeftSetByAnInterruptedPhase) {
  g_fieldSettled = g_resolveBusy = 1;
  scene_.Start(nullptr);
  EXPECT_EQ(g_fieldSettled + g_resolveBusy, 2) << "Start keeps the flags";
  Land({"r . . . . . . .", "R . . . . . . .", ". . . . . . . ."});
  g_fieldSettled = g_resolveBusy = 1;
  Expect({{1, ". . . . . . . . . r R .", 1, 0, 0, 1, 1},
          {2, ". . . . . . . . . r1 * .", 1, 1, 1, 1, 1}});
}

}  // namespace
