// The clearing phase tick by tick, as the player watches it: whole phases, one
// turn of a thrown pin against whatever lies ahead, the arcs' timing, the pins
// a pop keeps back, the flask blast; and a busy phase allocates nothing.
// Fields are written as text, one row a line, the way the player sees them.
// Tokens: "." empty, "F" flask, "*" burst, "r g b m" resting pins (red, green,
// blue, magenta), "R G B M" their balloons, and a flying pin as its colour and
// direction, "r1" to "m7" (1 up, 2 up-left, 3 left, 4 down-left, 5 up-right,
// 6 right, 7 down-right).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base/call_log.h"
#include "platform/win32/host.h"
#include "play/play_scene.h"
#include "tests/support/allocation_counter.h"

namespace {

using Rows = std::vector<std::string>;

std::string TokenOf(std::int32_t kind) {
  if (kind == kEmpty || kind == kFlask || kind == kBurst) return std::string(1, ".F*"[kind]);
  if (IsRestingPin(kind)) return std::string(1, "rgbm"[-1 - kind]);
  if (IsBalloon(kind)) return std::string(1, "RGBM"[-5 - kind]);
  if (IsFlyingPin(kind)) return "rgbm"[(kind & 15) - 1] + std::to_string(kind / 16);
  return std::to_string(kind);
}

std::int32_t KindOf(const std::string& token) {
  for (std::int32_t kind = -8; kind <= 116; ++kind) {
    if (TokenOf(kind) == token) return kind;
  }
  ADD_FAILURE() << "not a cell: " << token;
  return kEmpty;
}

class ClearingTest : public testing::Test {
 protected:
  void SetUp() override {
    g_fieldSettled = g_resolveBusy = 0, platform::InstallHost({.calls = &log_});
  }
  void TearDown() override { platform::UninstallHost(); }

  // An empty field with `bottomRows` at its bottom, just landed.
  void Land(const Rows& bottomRows) {
    SetUp();
    for (Cell& cell : scene_.field) cell = Cell{0, 0, 0, 0, 0, cell.x, cell.y};
    for (std::size_t r = 0; r < bottomRows.size(); ++r)
      SetRow(kFieldRows - static_cast<int>(bottomRows.size() - r), bottomRows[r]);
    scene_.paused = Pause::kRunning;
    scene_.spawnPending = PendingSpawn::kNone;
    scene_.chainPoints = scene_.removedCount = 0;
    scene_.phase = Phase::kClearing, scene_.interval = 1000, ticks_ = 0;
  }
  void SetRow(int row, const std::string& text) {
    std::istringstream tokens(text);
    std::string token;
    for (int column = 0; column < kFieldColumns && tokens >> token; ++column)
      scene_.At(column, row).kind = KindOf(token);
  }
  std::string Line(int column, int row, int columnStep, int rowStep, int count) const {
    std::string text = TokenOf(scene_.At(column, row).kind);
    for (int i = 1; i < count; ++i) {
      text.append(" ").append(TokenOf(scene_.At(column + i * columnStep, row + i * rowStep).kind));
    }
    return text;
  }
  std::string RowText(int row) const { return Line(0, row, 1, 0, kFieldColumns); }
  std::string ColumnText(int column) const { return Line(column, 0, 0, 1, kFieldRows); }

  void Tick() { log_.Clear(), scene_.OnTimer(nullptr); }
  // Runs up to tick `tick`, counting from the landing.
  void TickTo(int tick) {
    for (; ticks_ < tick; ++ticks_) Tick();
  }
  long Claps() const {
    return std::count_if(log_.Calls().begin(), log_.Calls().end(),
                         [](const auto& call) { return call.name == "PlaySound"; });
  }

  // After each tick: column 0 from row 0 down, then the chain points, the
  // removed count, the claps of that tick and the two flags.
  void Expect(const std::vector<std::pair<int, std::string>>& states) {
    for (const auto& [tick, state] : states) {
      TickTo(tick);
      EXPECT_EQ(ColumnText(0) + " | " + std::to_string(scene_.chainPoints) + " " +
                    std::to_string(scene_.removedCount) + " " + std::to_string(Claps()) + " " +
                    std::to_string(g_fieldSettled) + " " + std::to_string(g_resolveBusy),
                state)
          << "after tick " << tick;
    }
  }
  // The falling phase takes over at the spawn interval.
  void ExpectEndsAt(int tick) {
    TickTo(tick - 1);
    EXPECT_EQ(scene_.phase, Phase::kClearing);
    TickTo(tick);
    EXPECT_EQ(scene_.phase, Phase::kFalling);
    EXPECT_EQ(scene_.spawnPending, PendingSpawn::kAfterClearing);
    EXPECT_EQ(log_.Calls(), (std::vector<platform::RecordedCall>{
                                {"KillTimer", {1}, ""}, {"SetTimer", {1, scene_.interval}, ""}}));
  }

  PlayScene scene_{0};
  platform::CallLog log_;
  int ticks_ = 0;
};

TEST_F(ClearingTest, SinglePinPopsItsBalloonClimbsAndFallsBack) {
  Land({"r . . . . . . .", "R . . . . . . ."});
  Expect({{1, ". . . . . . . . . . r R | 1 0 0 1 1"},
          {2, ". . . . . . . . . . r1 * | 1 1 1 1 1"},
          {3, ". . . . . . . . . r1 . . | 1 1 0 1 1"},
          {5, ". . . . . . . r1 . . . . | 1 1 0 1 1"},
          {6, ". . . . . . . r . . . . | 1 1 0 1 1"},
          {7, ". . . . . . . r . . . . | 1 1 0 0 0"},
          {8, ". . . . . . . . r . . . | 1 1 0 0 0"},
          {11, ". . . . . . . . . . . r | 1 1 0 0 0"}});
  ExpectEndsAt(12);
  EXPECT_EQ(scene_.score, 0) << "the points wait for the next spawn";
  Tick();
  EXPECT_EQ(scene_.score, 10);
}

TEST_F(ClearingTest, PinThrownUpFromRowOneRestsInTheHiddenRow) {
  Land({});
  SetRow(1, "r");
  SetRow(2, "R");
  for (int row = 3; row < kFieldRows; ++row) SetRow(row, "F");
  Expect(
      {{3, "r1 . . F F F F F F F F F | 1 1 0 1 1"}, {4, "r1 . . F F F F F F F F F | 1 1 0 1 1"}});
  EXPECT_EQ(scene_.At(0, 0).rise, 3) << "nowhere higher to go";
  Expect({{5, "r . . F F F F F F F F F | 1 1 0 1 1"}, {8, ". . r F F F F F F F F F | 1 1 0 0 0"}});
  ExpectEndsAt(9);
}

TEST_F(ClearingTest, LowerOfTwoStackedPinsIsBlockedAtOnceAndRemoved) {
  Land({"g . . . . . . .", "r . . . . . . .", "R . . . . . . ."});
  Expect({{2, ". . . . . . . . . g r1 * | 1 1 1 1 1"},
          {3, ". . . . . . . . . g . . | 1 1 0 1 1"},
          {6, ". . . . . . . . . . . g | 1 1 0 0 0"}});
  ExpectEndsAt(7);
}

TEST_F(ClearingTest, QuietLandingEndsInTheTickTheFieldSettles) {
  const std::pair<Rows, int> cases[] = {
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

// Leaving a game with ESC mid-phase hands both flags to the next game, whose
// first landing is scanned before anything falls.
TEST_F(ClearingTest, FlagsLeftSetByAnInterruptedPhase) {
  g_fieldSettled = g_resolveBusy = 1;
  scene_.Start(nullptr);
  EXPECT_EQ(g_fieldSettled + g_resolveBusy, 2) << "Start keeps the flags";
  Land({"r . . . . . . .", "R . . . . . . .", ". . . . . . . ."});
  g_fieldSettled = g_resolveBusy = 1;
  Expect({{1, ". . . . . . . . . r R . | 1 0 0 1 1"}, {2, ". . . . . . . . . r1 * . | 1 1 1 1 1"}});
}

TEST_F(ClearingTest, BusyPhaseAllocatesNothing) {
  // Pops, climbs, arcs, a flask blast and falls.
  Land({". g . . . . . .", "r G . b . . . .", "R F R M g r . .", "G r R B M G . .",
        "F g M r F R . .", "b R b B g M r .", "M r G R M r6 F G"});
  platform::UninstallHost();           // recording allocates; the game never records
  SetTimer(nullptr, 1, 100, nullptr);  // as the landing did
  const long before = AllocationCount();
  while (scene_.phase != Phase::kFalling && ticks_ < 500) TickTo(ticks_ + 1);
  EXPECT_EQ(AllocationCount() - before, 0) << "over " << ticks_ << " ticks";
  EXPECT_GT(scene_.removedCount, 5);
}

// Where each direction leads, written out here rather than taken from the game.
constexpr int kColumnStep[8] = {0, 0, -1, -1, -1, 1, 1, 1};
constexpr int kRowStep[8] = {0, -1, -1, 0, 1, -1, 0, 1};

// A red pin flying from (3, 5) unless told otherwise, with `ahead` in its next
// cell ("" for off the field) and a green balloon at (3, 7) that shows whether
// a flask went off. After one scan: the pin's cell, the cell ahead and its
// skip, the chain points, and "blast" when the flask went off.
struct Turn {
  int direction, launched;
  const char* ahead;
  const char* after;
  int column = 3, row = 5;
};

// clang-format off
const Turn kTurns[] = {
    // Moving on. Up-left and up-right and right leave a skip behind them:
    // only the one behind the scan (up-left) is still there when it ends.
    {1, 1, ".", ". r1 0 0"}, {2, 1, ".", ". r3 1 0"}, {3, 1, ".", ". r4 0 0"},
    {4, 0, ".", ". r 0 0"}, {6, 0, ".", ". r7 0 0"},
    // Its own balloon: three points. Marked down-right, ahead of the scan and
    // without a skip, it pops in this very scan and throws the pin that has
    // just come to rest up-left of it.
    {1, 0, "R", "r R 0 3"}, {2, 0, "R", ". R 1 3"}, {4, 0, "R", "r R 0 3"}, {7, 0, "R", "r2 * 0 3"},
    // Only in the way: a pin that has not moved yet is removed, up-left and
    // up-right always.
    {1, 1, "G", ". G 0 0"}, {3, 0, "G", "r G 0 0"}, {5, 0, "G", ". G 0 0"}, {6, 0, "g", "r g 0 0"},
    {7, 1, "G", ". G 0 0"},
    // A flask goes off when hit flying up, up-left, left, up-right or right.
    {1, 0, "F", "r . 0 0 blast"}, {2, 0, "F", ". . 0 0 blast"}, {4, 0, "F", "r F 0 0"},
    {6, 1, "F", ". . 0 0 blast"}, {7, 0, "F", "r F 0 0"},
    // The edges.
    {1, 1, "", "r1 0", 3, 0}, {2, 0, "", ". 0", 0, 5}, {3, 1, "", ". 0", 0, 5},
    {5, 0, "", ". 0", 7, 5}, {6, 0, "", "r 0", 7, 5}, {7, 0, "", "r 0", 3, 11},
};
// clang-format on

TEST_F(ClearingTest, OneTurnOfAFlyingPin) {
  for (const Turn& t : kTurns) {
    Land({});
    Cell& pin = scene_.At(t.column, t.row);
    pin.kind = 16 * t.direction + 1, pin.launched = t.launched;
    const int c = t.column + kColumnStep[t.direction], r = t.row + kRowStep[t.direction];
    const bool hasAhead = *t.ahead != '\0', hasWitness = t.row + 2 < kFieldRows;
    if (hasAhead) scene_.At(c, r).kind = KindOf(t.ahead);
    if (hasWitness) scene_.At(t.column, t.row + 2).kind = KindOf("G");
    EXPECT_EQ(scene_.ResolveStep(), 0);
    std::string after = TokenOf(pin.kind) + " ";
    if (hasAhead)
      after += TokenOf(scene_.At(c, r).kind) + " " + std::to_string(scene_.At(c, r).skip) + " ";
    after += std::to_string(scene_.chainPoints);
    if (hasWitness && scene_.At(t.column, t.row + 2).popMark != 0) after += " blast";
    EXPECT_EQ(after, t.after) << "direction " << t.direction << " launched " << t.launched
                              << " into '" << t.ahead << "' from " << t.column << "," << t.row;
  }
}

TEST_F(ClearingTest, ArcTimingsOfAPopAtTickTwo) {
  // Up-right moves in ticks 3, 4 and 5; up-left starts a tick later and waits
  // a tick after its first step. Each sighting: tick, column, row, token.
  const std::pair<Rows, std::vector<std::tuple<int, int, int, const char*>>> cases[] = {
      {{". . r g . . . .", ". . R F . . . ."},
       {{2, 3, 10, "g5"}, {3, 4, 9, "g6"}, {4, 5, 9, "g7"}, {5, 6, 10, "g"}}},
      {{". . . . g r . .", ". . . . F R . ."},
       {{3, 4, 10, "g2"}, {4, 3, 9, "g3"}, {5, 3, 9, "g3"}, {6, 2, 9, "g4"}, {7, 1, 10, "g"}}},
  };
  for (const auto& [rows, sightings] : cases) {
    Land(rows);
    for (const auto& [tick, column, row, token] : sightings) {
      TickTo(tick);
      EXPECT_EQ(TokenOf(scene_.At(column, row).kind), token) << rows.front() << ", tick " << tick;
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
    Land({"r g . . . . . .", "R " + right + " . . . . . .", "F b . . . . . ."});
    TickTo(2);
    EXPECT_EQ((Rows{RowText(9), RowText(10), RowText(11)}), afterTick2) << right;
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
    for (const auto& [row, text] : before) SetRow(row, text);
    for (Cell& cell : scene_.field) cell.popMark = cell.kind == KindOf("R") ? 1 : 0;
    scene_.ResolveStep();
    for (const auto& [row, text] : after) EXPECT_EQ(RowText(row), text);
  }
}

// A pin blocked on its way up rests with its climb full; thrown up again, it
// comes to rest at once instead of climbing.
TEST_F(ClearingTest, BlockedClimbKeepsItsFullCount) {
  Land({"b . . . . . . .", "g1 . . . . . . .", "G . . . . . . .", "F . . . . . . ."});
  scene_.At(0, 10).popMark = scene_.At(0, 10).skip = 1;
  scene_.ResolveStep();
  EXPECT_EQ(ColumnText(0), ". . . . . . . . b g G F");
  EXPECT_EQ(scene_.At(0, 9).rise, 3);
  scene_.ResolveStep();
  scene_.ResolveStep();
  EXPECT_EQ(ColumnText(0), ". . . . . . . . b g . F") << "not removed, though blocked";
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
  EXPECT_EQ(RowText(1), ". . M . . r . .");
  // 2 * popMark + skip, row by row: nothing marked outside the square.
  Rows marks(kFieldRows), expected = {"00003202", "00000000", "00000020", "00000300", "00030002"};
  expected.resize(kFieldRows, "00000000");
  for (int row = 0; row < kFieldRows; ++row) {
    for (int c = 0; c < kFieldColumns; ++c)
      marks[row] += char('0' + 2 * scene_.At(c, row).popMark + scene_.At(c, row).skip);
  }
  EXPECT_EQ(marks, expected);
  for (const Cell& cell : scene_.next) EXPECT_EQ(cell.popMark, 0);
  EXPECT_EQ(scene_.chainPoints, 0) << "a blast is worth nothing by itself";
  for (const int removed : {4, 7, 7}) {
    scene_.ResolveStep();
    EXPECT_EQ(scene_.removedCount, removed);
  }
  EXPECT_EQ(RowText(2), ". . . b . . . F") << "pins and flasks are left alone";
}

}  // namespace
