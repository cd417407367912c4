// Moving and turning the falling piece: in the open, at the walls, into the
// hidden row, and refused by walls and cells.
#include <optional>

#include "play_fixture.h"

namespace {

constexpr int kClockwise = 0;
constexpr int kCounterClockwise = 1;

struct TurnCase {
  const char* name;
  Piece piece;
  int direction;
  std::vector<CellPos> blockers;
  std::optional<Piece> expected;  // nullopt: refused, the piece stays
};

class RotateTest : public PlayTest, public testing::WithParamInterface<TurnCase> {};

TEST_P(RotateTest, TurnsAboutTheMiddleCellOrIsRefused) {
  const TurnCase& c = GetParam();
  PlacePiece(c.piece, {-1, -6, 1});
  for (const CellPos& cell : c.blockers) Block({cell}, -3);
  const int occupied = OccupiedCells();
  scene_.Rotate(c.direction);
  const Piece expected = c.expected.value_or(c.piece);
  EXPECT_EQ(scene_.piece, expected);
  // Each kind travels with its own cell.
  EXPECT_EQ(KindsAt(expected), (Kinds{-1, -6, 1}));
  EXPECT_EQ(OccupiedCells(), occupied);
}

INSTANTIATE_TEST_SUITE_P(
    Turns, RotateTest,
    testing::Values(TurnCase{"flat, clockwise: left end goes up",
                             {{{3, 5}, {4, 5}, {5, 5}}},
                             kClockwise,
                             {},
                             Piece{{{4, 4}, {4, 5}, {4, 6}}}},
                    TurnCase{"flat, counter-clockwise: left end goes down",
                             {{{3, 5}, {4, 5}, {5, 5}}},
                             kCounterClockwise,
                             {},
                             Piece{{{4, 6}, {4, 5}, {4, 4}}}},
                    TurnCase{"flat with P0 on the right, clockwise",
                             {{{5, 5}, {4, 5}, {3, 5}}},
                             kClockwise,
                             {},
                             Piece{{{4, 6}, {4, 5}, {4, 4}}}},
                    TurnCase{"upright, clockwise: upper end goes right",
                             {{{4, 4}, {4, 5}, {4, 6}}},
                             kClockwise,
                             {},
                             Piece{{{5, 5}, {4, 5}, {3, 5}}}},
                    TurnCase{"upright, counter-clockwise: upper end goes left",
                             {{{4, 4}, {4, 5}, {4, 6}}},
                             kCounterClockwise,
                             {},
                             Piece{{{3, 5}, {4, 5}, {5, 5}}}},
                    TurnCase{"upright with P0 below, clockwise: P0 goes left",
                             {{{4, 6}, {4, 5}, {4, 4}}},
                             kClockwise,
                             {},
                             Piece{{{3, 5}, {4, 5}, {5, 5}}}},
                    TurnCase{"swept diagonal cells do not matter",
                             {{{3, 5}, {4, 5}, {5, 5}}},
                             kClockwise,
                             {{3, 4}, {5, 4}, {3, 6}, {5, 6}},
                             Piece{{{4, 4}, {4, 5}, {4, 6}}}},
                    TurnCase{"flat, refused by the cell above",
                             {{{3, 5}, {4, 5}, {5, 5}}},
                             kClockwise,
                             {{4, 4}},
                             std::nullopt},
                    TurnCase{"flat, refused by the cell below",
                             {{{3, 5}, {4, 5}, {5, 5}}},
                             kCounterClockwise,
                             {{4, 6}},
                             std::nullopt},
                    TurnCase{"upright, refused by the cell left",
                             {{{4, 4}, {4, 5}, {4, 6}}},
                             kClockwise,
                             {{3, 5}},
                             std::nullopt},
                    TurnCase{"upright, refused by the cell right",
                             {{{4, 4}, {4, 5}, {4, 6}}},
                             kClockwise,
                             {{5, 5}},
                             std::nullopt},
                    TurnCase{"flat on the floor cannot stand up",
                             {{{3, 11}, {4, 11}, {5, 11}}},
                             kClockwise,
                             {},
                             std::nullopt},
                    TurnCase{"flat in row 1 stands up into the hidden row",
                             {{{3, 1}, {4, 1}, {5, 1}}},
                             kClockwise,
                             {},
                             Piece{{{4, 0}, {4, 1}, {4, 2}}}},
                    TurnCase{"upright against the left wall, clockwise: steps right",
                             {{{0, 4}, {0, 5}, {0, 6}}},
                             kClockwise,
                             {},
                             Piece{{{2, 5}, {1, 5}, {0, 5}}}},
                    TurnCase{"upright against the left wall, counter-clockwise",
                             {{{0, 4}, {0, 5}, {0, 6}}},
                             kCounterClockwise,
                             {},
                             Piece{{{0, 5}, {1, 5}, {2, 5}}}},
                    TurnCase{"left wall, refused by (1, 5)",
                             {{{0, 4}, {0, 5}, {0, 6}}},
                             kClockwise,
                             {{1, 5}},
                             std::nullopt},
                    TurnCase{"left wall, refused by (2, 5)",
                             {{{0, 4}, {0, 5}, {0, 6}}},
                             kClockwise,
                             {{2, 5}},
                             std::nullopt},
                    TurnCase{"upright against the right wall, clockwise: steps left",
                             {{{7, 4}, {7, 5}, {7, 6}}},
                             kClockwise,
                             {},
                             Piece{{{7, 5}, {6, 5}, {5, 5}}}},
                    TurnCase{"upright against the right wall, counter-clockwise",
                             {{{7, 4}, {7, 5}, {7, 6}}},
                             kCounterClockwise,
                             {},
                             Piece{{{5, 5}, {6, 5}, {7, 5}}}},
                    TurnCase{"right wall, refused by (6, 5)",
                             {{{7, 4}, {7, 5}, {7, 6}}},
                             kClockwise,
                             {{6, 5}},
                             std::nullopt},
                    TurnCase{"right wall, refused by (5, 5)",
                             {{{7, 4}, {7, 5}, {7, 6}}},
                             kCounterClockwise,
                             {{5, 5}},
                             std::nullopt},
                    TurnCase{"upright reaching the floor turns flat above it",
                             {{{2, 9}, {2, 10}, {2, 11}}},
                             kCounterClockwise,
                             {},
                             Piece{{{1, 10}, {2, 10}, {3, 10}}}}));

struct MoveCase {
  const char* name;
  Piece piece;
  UINT key;
  std::vector<CellPos> blockers;
  std::optional<Piece> expected;
};

class MoveTest : public PlayTest, public testing::WithParamInterface<MoveCase> {};

TEST_P(MoveTest, MovesOneColumnOrIsRefused) {
  const MoveCase& c = GetParam();
  PlacePiece(c.piece);
  for (const CellPos& cell : c.blockers) Block({cell});
  scene_.OnKeyDown(nullptr, c.key);
  const Piece expected = c.expected.value_or(c.piece);
  EXPECT_EQ(scene_.piece, expected);
  EXPECT_EQ(KindsAt(expected), (Kinds{-1, -2, -3}));
}

INSTANTIATE_TEST_SUITE_P(
    Moves, MoveTest,
    testing::Values(
        MoveCase{"flat, right",
                 {{{3, 5}, {4, 5}, {5, 5}}},
                 VK_RIGHT,
                 {},
                 Piece{{{4, 5}, {5, 5}, {6, 5}}}},
        MoveCase{
            "flat, left", {{{3, 5}, {4, 5}, {5, 5}}}, VK_LEFT, {}, Piece{{{2, 5}, {3, 5}, {4, 5}}}},
        MoveCase{"flat with P0 on the right, right",
                 {{{5, 5}, {4, 5}, {3, 5}}},
                 VK_RIGHT,
                 {},
                 Piece{{{6, 5}, {5, 5}, {4, 5}}}},
        MoveCase{"flat, right end at the right wall",
                 {{{5, 5}, {6, 5}, {7, 5}}},
                 VK_RIGHT,
                 {},
                 std::nullopt},
        MoveCase{"flat with P0 at the right wall",
                 {{{7, 5}, {6, 5}, {5, 5}}},
                 VK_RIGHT,
                 {},
                 std::nullopt},
        MoveCase{"flat, left end at the left wall",
                 {{{0, 5}, {1, 5}, {2, 5}}},
                 VK_LEFT,
                 {},
                 std::nullopt},
        MoveCase{"flat, a cell right of the right end",
                 {{{3, 5}, {4, 5}, {5, 5}}},
                 VK_RIGHT,
                 {{6, 5}},
                 std::nullopt},
        MoveCase{"flat, a cell left of the left end",
                 {{{5, 5}, {4, 5}, {3, 5}}},
                 VK_LEFT,
                 {{2, 5}},
                 std::nullopt},
        MoveCase{"flat, cells above and below the way do not matter",
                 {{{3, 5}, {4, 5}, {5, 5}}},
                 VK_RIGHT,
                 {{6, 4}, {6, 6}},
                 Piece{{{4, 5}, {5, 5}, {6, 5}}}},
        MoveCase{"upright, right",
                 {{{4, 4}, {4, 5}, {4, 6}}},
                 VK_RIGHT,
                 {},
                 Piece{{{5, 4}, {5, 5}, {5, 6}}}},
        MoveCase{
            "upright at the right wall", {{{7, 4}, {7, 5}, {7, 6}}}, VK_RIGHT, {}, std::nullopt},
        MoveCase{"upright at the left wall", {{{0, 4}, {0, 5}, {0, 6}}}, VK_LEFT, {}, std::nullopt},
        MoveCase{"upright, needs the upper cell on the left",
                 {{{4, 4}, {4, 5}, {4, 6}}},
                 VK_LEFT,
                 {{3, 4}},
                 std::nullopt},
        MoveCase{"upright, needs the middle cell on the left",
                 {{{4, 4}, {4, 5}, {4, 6}}},
                 VK_LEFT,
                 {{3, 5}},
                 std::nullopt},
        MoveCase{"upright, needs the lower cell on the right",
                 {{{4, 4}, {4, 5}, {4, 6}}},
                 VK_RIGHT,
                 {{5, 6}},
                 std::nullopt},
        MoveCase{"upright, partly in the hidden row",
                 {{{2, 0}, {2, 1}, {2, 2}}},
                 VK_LEFT,
                 {},
                 Piece{{{1, 0}, {1, 1}, {1, 2}}}}));

// The cells a move enters keep everything but the kind it brings.
TEST_F(PlayTest, AMoveCarriesOnlyTheKinds) {
  PlacePiece({{{3, 5}, {4, 5}, {5, 5}}});
  Cell& entered = scene_.At(6, 5);
  entered.skip = 1;
  scene_.At(3, 5).rise = 2;
  scene_.MoveRight();
  EXPECT_EQ(entered.kind, -3);
  EXPECT_EQ(entered.skip, 1);
  EXPECT_EQ(entered.x, 260);
  EXPECT_EQ(scene_.At(3, 5).kind, 0);
  EXPECT_EQ(scene_.At(3, 5).rise, 0);  // the cell left behind is cleared
  EXPECT_EQ(scene_.At(4, 5).rise, 0);  // rise did not travel
}

}  // namespace
