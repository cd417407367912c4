// Thrown pins: one turn of each direction against whatever lies ahead, the arcs'
// timing, the pins a pop keeps back, and the flask blast.
#include <vector>

#include "tests/clearing/clearing_fixture.h"

namespace {

// Where each direction leads, written out here rather than taken from the game.
constexpr int kColumnStep[8] = {0, 0, -1, -1, -1, 1, 1, 1};
constexpr int kRowStep[8] = {0, -1, -1, 0, 1, -1, 0, 1};

// One red pin flying in `direction` from (column, row) takes one turn, with
// `ahead` in its next cell ("" when that cell is off the field) and a green
// balloon two rows below it to show whether a flask went off.
struct Turn {
  int direction;
  int column;
  int row;
  int launched;
  const char* ahead;
  const char* pinAfter;
  const char* aheadAfter;
  int aheadPopMark;
  int aheadSkip;  // after the scan has passed
  int chainPoints;
  bool blast;
};

const Turn kTurns[] = {
    // Moving on: up keeps climbing, the arcs bend, the last steps come to rest.
    {1, 3, 5, 1, ".", ".", "r1", 0, 0, 0, false},
    {2, 3, 5, 1, ".", ".", "r3", 0, 1, 0, false},
    {3, 3, 5, 1, ".", ".", "r4", 0, 0, 0, false},
    {4, 3, 5, 0, ".", ".", "r", 0, 0, 0, false},
    {5, 3, 5, 1, ".", ".", "r6", 0, 0, 0, false},
    {6, 3, 5, 0, ".", ".", "r7", 0, 0, 0, false},
    {7, 3, 5, 0, ".", ".", "r", 0, 0, 0, false},
    // Its own balloon: marked for three points. Down-right is marked ahead of
    // the scan without a skip, so it pops in this very scan and throws the
    // pin, which has just come to rest up-left of it.
    {1, 3, 5, 0, "R", "r", "R", 1, 0, 3, false},
    {2, 3, 5, 0, "R", ".", "R", 1, 1, 3, false},
    {3, 3, 5, 0, "R", "r", "R", 1, 0, 3, false},
    {4, 3, 5, 0, "R", "r", "R", 1, 0, 3, false},
    {5, 3, 5, 0, "R", ".", "R", 1, 0, 3, false},
    {6, 3, 5, 0, "R", "r", "R", 1, 0, 3, false},
    {7, 3, 5, 0, "R", "r2", "*", 1, 0, 3, false},
    // Another colour: only in the way. A pin blocked before its first step is
    // removed; up-left and up-right are removed whenever blocked.
    {1, 3, 5, 0, "G", "r", "G", 0, 0, 0, false},
    {1, 3, 5, 1, "G", ".", "G", 0, 0, 0, false},
    {2, 3, 5, 0, "G", ".", "G", 0, 0, 0, false},
    {3, 3, 5, 0, "G", "r", "G", 0, 0, 0, false},
    {3, 3, 5, 1, "G", ".", "G", 0, 0, 0, false},
    {4, 3, 5, 1, "b", ".", "b", 0, 0, 0, false},
    {5, 3, 5, 0, "G", ".", "G", 0, 0, 0, false},
    {6, 3, 5, 0, "g", "r", "g", 0, 0, 0, false},
    {7, 3, 5, 1, "G", ".", "G", 0, 0, 0, false},
    // A flask blows when hit flying up, up-left, left, up-right or right.
    {1, 3, 5, 0, "F", "r", ".", 0, 0, 0, true},
    {2, 3, 5, 0, "F", ".", ".", 0, 0, 0, true},
    {3, 3, 5, 0, "F", "r", ".", 0, 0, 0, true},
    {4, 3, 5, 0, "F", "r", "F", 0, 0, 0, false},
    {5, 3, 5, 0, "F", ".", ".", 0, 0, 0, true},
    {6, 3, 5, 1, "F", ".", ".", 0, 0, 0, true},
    {7, 3, 5, 0, "F", "r", "F", 0, 0, 0, false},
    // At the edge of the field.
    {1, 3, 0, 1, "", "r1", "", 0, 0, 0, false},
    {2, 0, 5, 0, "", ".", "", 0, 0, 0, false},
    {2, 3, 0, 0, "", ".", "", 0, 0, 0, false},
    {3, 0, 5, 0, "", "r", "", 0, 0, 0, false},
    {3, 0, 5, 1, "", ".", "", 0, 0, 0, false},
    {4, 3, 11, 0, "", "r", "", 0, 0, 0, false},
    {5, 7, 5, 0, "", ".", "", 0, 0, 0, false},
    {5, 3, 0, 0, "", ".", "", 0, 0, 0, false},
    {6, 7, 5, 0, "", "r", "", 0, 0, 0, false},
    {7, 7, 5, 0, "", "r", "", 0, 0, 0, false},
    {7, 3, 11, 1, "", ".", "", 0, 0, 0, false},
};

class Flight : public ClearingTest {};

TEST_F(Flight, OneTurnOfAFlyingPin) {
  for (const Turn& t : kTurns) {
    SCOPED_TRACE(testing::Message()
                 << "direction " << t.direction << " from (" << t.column << "," << t.row
                 << ") launched " << t.launched << " into '" << t.ahead << "'");
    SetUp();
    Land({});
    Cell& pin = scene_.At(t.column, t.row);
    pin.kind = 16 * t.direction + 1;
    pin.launched = t.launched;
    const int c = t.column + kColumnStep[t.direction];
    const int r = t.row + kRowStep[t.direction];
    const bool hasAhead = *t.ahead != '\0';
    if (hasAhead) scene_.At(c, r).kind = KindOfToken(t.ahead);
    const int witnessRow = t.row + 2;
    if (witnessRow <= 11) scene_.At(t.column, witnessRow).kind = KindOfToken("G");

    EXPECT_EQ(scene_.ResolveStep(), 0);

    EXPECT_EQ(TokenOfKind(pin.kind), t.pinAfter);
    if (hasAhead) {
      const Cell& ahead = scene_.At(c, r);
      EXPECT_EQ(TokenOfKind(ahead.kind), t.aheadAfter);
      EXPECT_EQ(ahead.popMark, t.aheadPopMark);
      EXPECT_EQ(ahead.skip, t.aheadSkip);
    }
    EXPECT_EQ(scene_.chainPoints, t.chainPoints);
    if (witnessRow <= 11) {
      EXPECT_EQ(scene_.At(t.column, witnessRow).popMark, t.blast ? 1 : 0);
    }
  }
}

TEST_F(Flight, PinBlockedOnItsWayUpRestsWithItsClimbFull) {
  Land({});
  scene_.At(2, 6).kind = KindOfToken("g1");
  scene_.At(2, 5).kind = KindOfToken("b");
  scene_.ResolveStep();
  EXPECT_EQ(scene_.At(2, 6).kind, -2);
  EXPECT_EQ(scene_.At(2, 6).rise, 3);
}

// The arcs of a pop at tick 2, each pin's cell checked after the ticks named.
struct Sighting {
  int tick;
  int column;
  int row;
  const char* token;
};

TEST_F(Flight, ArcTimings) {
  struct Case {
    const char* what;
    Rows rows;
    std::vector<Sighting> sightings;
  };
  const Case cases[] = {
      {"up-right: moves in ticks 3, 4 and 5",
       {". . r g . . . .", ". . R F . . . ."},
       {{2, 3, 10, "g5"}, {3, 4, 9, "g6"}, {3, 3, 10, "."}, {4, 5, 9, "g7"}, {5, 6, 10, "g"}}},
      {"up-left: moves in ticks 4, 6 and 7",
       {". . . . g r . .", ". . . . F R . ."},
       {{2, 4, 10, "g2"},
        {3, 4, 10, "g2"},
        {4, 3, 9, "g3"},
        {5, 3, 9, "g3"},
        {6, 2, 9, "g4"},
        {7, 1, 10, "g"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    Land(c.rows);
    int tick = 0;
    for (const Sighting& s : c.sightings) {
      while (tick < s.tick) {
        Tick();
        ++tick;
      }
      EXPECT_EQ(TokenOfKind(scene_.At(s.column, s.row).kind), s.token)
          << "(" << s.column << "," << s.row << ") after tick " << tick;
    }
  }
}

// A pin standing on its own balloon up-right of a pop stays to pop that
// balloon itself, and keeps the pin down-right of the pop where it is too.
TEST_F(Flight, UpRightPinOnItsOwnBalloonIsNotThrown) {
  struct Case {
    const char* rightBalloon;
    int chainPointsAfterTick1;
    Rows afterTick2;
  };
  const Case cases[] = {
      {"G", 2, {"r1 g1 . . . . . .", "* * . . . . . .", "F . . . . . . ."}},
      {"B", 1, {"r1 g5 . . . . . .", "* B . . . . . .", "F b7 . . . . . ."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("right balloon ") + c.rightBalloon);
    SetUp();
    Land({"r g . . . . . .", std::string("R ") + c.rightBalloon + " . . . . . .",
          "F b . . . . . ."});
    Tick();
    EXPECT_EQ(scene_.chainPoints, c.chainPointsAfterTick1);
    Tick();
    EXPECT_EQ(BottomRows(scene_, 9), c.afterTick2);
  }
}

TEST_F(Flight, PopRemovesThePinBelowItWhateverItsColour) {
  Land({". . . . . . . .", ". . . . . . . .", "R . . . . . . .", "b . . . . . . ."});
  scene_.At(0, 10).popMark = 1;
  scene_.ResolveStep();
  EXPECT_EQ(ColumnText(scene_, 0), ". . . . . . . . . . * .");
}

// A pin flying right blows the flask in the top-right corner. The square
// reaches into the hidden row and is cut off by the edges.
TEST_F(Flight, FlaskBlastMarksEveryBalloonAroundAndPopsThemInTwoWaves) {
  Land({". . . . G R . B", ". . M . . r6 F .", ". . . b . . M F", ". . . . . G . .",
        ". . . B . . . R", ". . . . . . . M", ". . . . . . . .", ". . . . . . . .",
        ". . . . . . . .", ". . . . . . . .", ". . . . . . . .", ". . . . . . . ."});
  // Balloons where the square would land if it ran off the top or the right.
  scene_.At(5, 11).kind = KindOfToken("M");
  scene_.At(6, 10).kind = KindOfToken("M");
  for (Cell& cell : scene_.next) cell.kind = KindOfToken("R");
  EXPECT_EQ(scene_.ResolveStep(), 0);
  const Rows afterBlast = {". . . . G R . B", ". . M . . r . .", ". . . b . . M F",
                           ". . . . . G . .", ". . . B . . . R", ". . . . . . . M"};
  const Rows all = BottomRows(scene_, 0);
  EXPECT_EQ(Rows(all.begin(), all.begin() + 6), afterBlast);
  struct Mark {
    int column, row, popMark, skip;
  };
  const Mark marks[] = {{4, 0, 1, 1}, {5, 0, 1, 0},  {7, 0, 1, 0}, {6, 2, 1, 0},
                        {5, 3, 1, 1}, {3, 4, 1, 1},  {7, 4, 1, 0}, {2, 1, 0, 0},
                        {7, 5, 0, 0}, {5, 11, 0, 0}, {6, 10, 0, 0}};
  for (const Mark& m : marks) {
    EXPECT_EQ(scene_.At(m.column, m.row).popMark, m.popMark) << m.column << "," << m.row;
    EXPECT_EQ(scene_.At(m.column, m.row).skip, m.skip) << m.column << "," << m.row;
  }
  for (const Cell& cell : scene_.next) EXPECT_EQ(cell.popMark, 0);
  EXPECT_EQ(scene_.chainPoints, 0) << "a blast is worth nothing by itself";

  const int removedAfterScan[] = {4, 7, 7};
  for (int removed : removedAfterScan) {
    scene_.ResolveStep();
    EXPECT_EQ(scene_.removedCount, removed);
  }
  EXPECT_EQ(TokenOfKind(scene_.At(3, 2).kind), "b");
  EXPECT_EQ(TokenOfKind(scene_.At(7, 2).kind), "F");
  EXPECT_EQ(scene_.ResolveStep(), 1);
}

// The field is stored column by column, so one row past the top or bottom of
// a column is a cell of the next column. A pop there must not reach it.
TEST_F(Flight, PopsInTheTopAndBottomRowsStayInTheirColumns) {
  struct Case {
    const char* what;
    int column, row;
    std::vector<CellPos> pinsJustAcross;
  };
  const Case cases[] = {
      {"top", 3, 0, {{1, 11}, {2, 11}, {3, 11}}},
      {"bottom", 3, 11, {{3, 0}, {4, 0}, {5, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    Land({});
    scene_.At(c.column, c.row).kind = KindOfToken("R");
    scene_.At(c.column, c.row).popMark = 1;
    for (const CellPos& pin : c.pinsJustAcross) scene_.At(pin.column, pin.row).kind = -2;
    scene_.ResolveStep();
    EXPECT_EQ(scene_.removedCount, 1);
    for (const CellPos& pin : c.pinsJustAcross) {
      EXPECT_EQ(scene_.At(pin.column, pin.row).kind, -2) << pin.column << "," << pin.row;
    }
  }
}

}  // namespace
