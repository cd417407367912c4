#include "display/tile_table.h"

#include <gtest/gtest.h>

#include <climits>

#include "play/cell.h"

namespace {

struct KindCase {
  std::int32_t kind;
  TilePos tile;
};

TEST(TileOfKind, EachKindWithAPictureHasItsTile) {
  const KindCase cases[] = {
      {1, {0, 0}},  {2, {1, 0}},                               // flask, burst
      {-1, {0, 1}}, {-2, {1, 1}}, {-3, {2, 1}}, {-4, {3, 1}},  // resting pins
      {-5, {0, 9}}, {-6, {1, 9}}, {-7, {2, 9}}, {-8, {3, 9}},  // balloons
      {17, {0, 2}}, {20, {3, 2}}, {33, {0, 3}}, {52, {3, 4}},  // flying pins
      {65, {0, 5}}, {84, {3, 6}}, {99, {2, 7}}, {113, {0, 8}}, {116, {3, 8}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TileOfKind(c.kind), c.tile) << "kind " << c.kind;
  }
}

TEST(TileOfKind, KindsWithoutAPictureHaveNoTile) {
  for (std::int32_t kind :
       {0, 3, 10, 16, 21, 32, 37, 47, 48, 112, 117, 128, -9, -16, -17, INT_MIN, INT_MAX}) {
    EXPECT_FALSE(TileOfKind(kind).has_value()) << "kind " << kind;
  }
}

// The drawing and the rules must agree on which kinds are things on the field.
TEST(TileOfKind, ExactlyTheFieldsKindsHaveTiles) {
  for (std::int32_t kind = -300; kind <= 300; ++kind) {
    const bool isThing = kind == kFlask || kind == kBurst || IsRestingPin(kind) ||
                         IsBalloon(kind) || IsFlyingPin(kind);
    EXPECT_EQ(TileOfKind(kind).has_value(), isThing) << "kind " << kind;
  }
}

}  // namespace
