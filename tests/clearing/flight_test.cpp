// Thrown pins: one turn of each direction against what lies ahead, the arcs'
// timing, the pins a pop keeps back, and the flask blast.
#include <vector>

#include "tests/clearing/clearing_fixture.h"

namespace {

// Where each direction leads, written out here rather than taken from the game.
constexpr int kColumnStep[8] = {0, 0, -1, -1, -1, 1, 1, 1};
constexpr int kRowStep[8] = {0, -1, -1, 0, 1, -1, 0, 1};

// A red pin flying from (3, 5) unless told otherwise, with `ahead` in its next
// cell ("" for off the field) and a green balloon at (3, 7) that shows whether
// a flask went off. The cells as one scan leaves them.
struct Turn {
  int direction, launched;
  const char* ahead;
  const char* pinAfter;
  const char* aheadAfter;
  int aheadSkip, chainPoints;
  bool blast;
  int column = 3, row = 5;
};

const Turn kTurns[] = {
    // Moving on. Up-left and up-right and right leave a skip behind them:
    // only the one behind the scan (up-left) is still there when it ends.
    {1, 1, ".", ".", "r1", 0, 0, false},
    {2, 1, ".", ".", "r3", 1, 0, false},
    {3, 1, ".", ".", "r4", 0, 0, false},
    {4, 0, ".", ".", "r", 0, 0, false},
    {6, 0, ".", ".", "r7", 0, 0, false},
    // Its own balloon: three points. Marked down-right, ahead of the scan and
    // without a skip, it pops in this very scan and throws the pin that has
    // just come to rest up-left of it.
    {1, 0, "R", "r", "R", 0, 3, false},
    {2, 0, "R", ".", "R", 1, 3, false},
    {4, 0, "R", "r", "R", 0, 3, false},
    {7, 0, "R", "r2", "*", 0, 3, false},
    // Only in the way: a pin that has not moved yet is removed, up-left and
    // up-right always.
    {1, 1, "G", ".", "G", 0, 0, false},
    {3, 0, "G", "r", "G", 0, 0, false},
    {5, 0, "G", ".", "G", 0, 0, false},
    {6, 0, "g", "r", "g", 0, 0, false},
    {7, 1, "G", ".", "G", 0, 0, false},
    // A flask goes off when hit flying up, up-left, left, up-right or right.
    {1, 0, "F", "r", ".", 0, 0, true},
    {2, 0, "F", ".", ".", 0, 0, true},
    {4, 0, "F", "r", "F", 0, 0, false},
    {6, 1, "F", ".", ".", 0, 0, true},
    {7, 0, "F", "r", "F", 0, 0, false},
    // The edges.
    {1, 1, "", "r1", "", 0, 0, false, 3, 0},
    {2, 0, "", ".", "", 0, 0, false, 0, 5},
    {3, 1, "", ".", "", 0, 0, false, 0, 5},
    {5, 0, "", ".", "", 0, 0, false, 7, 5},
    {6, 0, "", "r", "", 0, 0, false, 7, 5},
    {7, 0, "", "r", "", 0, 0, false, 3, 11},
};

TEST_F(ClearingTest, OneTurnOfAFlyingPin) {
  for (const Turn& t : kTurns) {
    SCOPED_TRACE(testing::Message()
                 << "direction " << t.direction << " launched " << t.launched << " into '"
                 << t.ahead << "' from " << t.column << "," << t.row);
    Land({});
    scene_.At(t.column, t.row).kind = 16 * t.direction + 1;
    scene_.At(t.column, t.row).launched = t.launched;
    const bool hasAhead = *t.ahead != '\0';
    const int c = t.column + kColumnStep[t.direction], r = t.row + kRowStep[t.direction];
    if (hasAhead) scene_.At(c, r).kind = KindOf(t.ahead);
    const bool hasWitness = t.row + 2 < kFieldRows;
    if (hasWitness) scene_.At(t.column, t.row + 2).kind = KindOf("G");

    EXPECT_EQ(scene_.ResolveStep(), 0);

    EXPECT_EQ(TokenOf(scene_.At(t.column, t.row).kind), t.pinAfter);
    if (hasAhead) {
      EXPECT_EQ(TokenOf(scene_.At(c, r).kind), t.aheadAfter);
      EXPECT_EQ(scene_.At(c, r).skip, t.aheadSkip);
    }
    EXPECT_EQ(scene_.chainPoints, t.chainPoints);
    if (hasWitness) {
      EXPECT_EQ(scene_.At(t.column, t.row + 2).popMark, t.blast ? 1 : 0);
    }
  }
}

TEST_F(ClearingTest, ArcTimingsOfAPopAtTickTwo) {
  struct Sighting {
    int tick, column, row;
    const char* token;
  };
  const std::vector<std::pair<Rows, std::vector<Sighting>>> cases = {
      // Up-right: moves in ticks 3, 4 and 5.
      {{". . r g . . . .", ". . R F . . . ."},
       {{2, 3, 10, "g5"}, {3, 4, 9, "g6"}, {4, 5, 9, "g7"}, {5, 6, 10, "g"}}},
      // Up-left: starts a tick later and waits a tick after its first step.
      {{". . . . g r . .", ". . . . F R . ."},
       {{3, 4, 10, "g2"}, {4, 3, 9, "g3"}, {5, 3, 9, "g3"}, {6, 2, 9, "g4"}, {7, 1, 10, "g"}}},
  };
  for (const auto& [rows, sightings] : cases) {
    SCOPED_TRACE(rows.front());
    Land(rows);
    for (const Sighting& s : sightings) {
      TickTo(s.tick);
      EXPECT_EQ(TokenOf(scene_.At(s.column, s.row).kind), s.token) << "tick " << s.tick;
    }
  }
}

// A green pin standing on its green balloon up-right of a pop stays to pop it
// itself, and keeps the pin down-right of the pop where it is too; that one
// then goes with the green balloon it stands under.
TEST_F(ClearingTest, UpRightPinOnItsOwnBalloonIsNotThrown) {
  const std::vector<std::pair<std::string, Rows>> cases = {
      {"G", {"r1 g1 . . . . . .", "* * . . . . . .", "F . . . . . . ."}},
      {"B", {"r1 g5 . . . . . .", "* B . . . . . .", "F b7 . . . . . ."}},
  };
  for (const auto& [right, afterTick2] : cases) {
    SCOPED_TRACE(right);
    Land({"r g . . . . . .", "R " + right + " . . . . . .", "F b . . . . . ."});
    TickTo(2);
    EXPECT_EQ((Rows{RowText(scene_, 9), RowText(scene_, 10), RowText(scene_, 11)}), afterTick2);
  }
}

// The field is stored column by column: one row past the top or bottom of a
// column is a cell of the next one, which a pop must not reach or look at.
TEST_F(ClearingTest, PopsInTheTopAndBottomRowsStayInTheirColumn) {
  using RowTexts = std::vector<std::pair<int, std::string>>;
  const std::vector<std::pair<RowTexts, RowTexts>> cases = {
      // Above the top, (3, -1) would be (2, 11); up-right of it (3, 11), whose
      // pin over (4, 0) would keep the pin down-right of the pop from flying.
      {{{0, ". . . R G . . ."}, {1, ". . . . b . . ."}, {11, ". g g g . . . ."}},
       {{0, ". . . * G . . ."}, {1, ". . . . b7 . . ."}, {11, ". g g g . . . ."}}},
      {{{0, ". . . g g g . ."}, {11, ". . . R . . . ."}},
       {{0, ". . . g g g . ."}, {11, ". . . * . . . ."}}},
  };
  for (const auto& [before, after] : cases) {
    Land({});
    for (const auto& [row, text] : before) SetRow(scene_, row, text);
    for (Cell& cell : scene_.field) cell.popMark = cell.kind == KindOf("R") ? 1 : 0;
    scene_.ResolveStep();
    for (const auto& [row, text] : after) EXPECT_EQ(RowText(scene_, row), text);
  }
}

// A pin blocked on its way up rests with its climb full; thrown up again, it
// comes to rest at once instead of climbing.
TEST_F(ClearingTest, BlockedClimbKeepsItsFullCount) {
  Land({"b . . . . . . .", "g1 . . . . . . .", "G . . . . . . .", "F . . . . . . ."});
  scene_.At(0, 10).popMark = scene_.At(0, 10).skip = 1;
  scene_.ResolveStep();
  EXPECT_EQ(ColumnText(scene_, 0), ". . . . . . . . b g G F");
  EXPECT_EQ(scene_.At(0, 9).rise, 3);
  scene_.ResolveStep();
  scene_.ResolveStep();
  EXPECT_EQ(ColumnText(scene_, 0), ". . . . . . . . b g . F") << "not removed, though blocked";
}

// A red pin flying right sets off the flask in the top-right corner. The 7 x 7
// square reaches into the hidden row and stops at the edges; its balloons pop
// in two waves, those ahead of the scan first.
TEST_F(ClearingTest, FlaskBlastInACorner) {
  Land({". . . . G R . B", ". . M . . r6 F .", ". . . b . . M F", ". . . . . G . .",
        ". . . B . . . R", ". . . . . . . M", ". . . . . . . .", ". . . . . . . .",
        ". . . . . . . .", ". . . . . . . .", ". . . . . . . M", ". . . . . M . ."});
  for (Cell& cell : scene_.next) cell.kind = KindOf("R");  // stored just past the field
  scene_.ResolveStep();
  EXPECT_EQ(RowText(scene_, 1), ". . M . . r . .");
  const std::vector<std::vector<int>> marks = {
      // column, row, popMark, skip
      {4, 0, 1, 1}, {5, 0, 1, 0}, {7, 0, 1, 0}, {6, 2, 1, 0},  {5, 3, 1, 1}, {3, 4, 1, 1},
      {7, 4, 1, 0}, {2, 1, 0, 0}, {7, 5, 0, 0}, {7, 10, 0, 0}, {5, 11, 0, 0}};
  for (const auto& m : marks) {
    EXPECT_EQ(scene_.At(m[0], m[1]).popMark, m[2]) << m[0] << "," << m[1];
    EXPECT_EQ(scene_.At(m[0], m[1]).skip, m[3]) << m[0] << "," << m[1];
  }
  for (const Cell& cell : scene_.next) EXPECT_EQ(cell.popMark, 0);
  EXPECT_EQ(scene_.chainPoints, 0) << "a blast is worth nothing by itself";
  for (const int removed : {4, 7, 7}) {
    scene_.ResolveStep();
    EXPECT_EQ(scene_.removedCount, removed);
  }
  EXPECT_EQ(RowText(scene_, 2), ". . . b . . . F") << "pins and flasks are left alone";
}

}  // namespace
