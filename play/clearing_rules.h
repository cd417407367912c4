// Pieces of the clearing phase shared by its files: the pop of a balloon and
// its launches (clearing_pop.cpp), and the turn of a flying pin (flight.cpp).
// ResolveStep (clearing.cpp) calls them as its scan reaches each cell.
#pragma once

#include <cstdint>

#include "play/play_scene.h"

namespace clearing {

constexpr int kLastColumn = kFieldColumns - 1;
constexpr int kLastRow = kFieldRows - 1;

// The seven directions a pin flies in; the number is part of its kind.
enum Direction : std::int32_t {
  kUp = 1,
  kUpLeft = 2,
  kLeft = 3,
  kDownLeft = 4,
  kUpRight = 5,
  kRight = 6,
  kDownRight = 7,
};

constexpr bool InField(int column, int row) {
  return column >= 0 && column <= kLastColumn && row >= 0 && row <= kLastRow;
}

// A pin of colour 1 to 4 flying in `direction`.
constexpr std::int32_t FlyingPinKind(std::int32_t direction, std::int32_t colour) {
  return 16 * direction + colour;
}

// The balloon a resting pin pops: -1 goes with -5, -2 with -6 and so on.
constexpr std::int32_t BalloonOfRestingPin(std::int32_t pinKind) {
  return pinKind ^ 4;
}

// The counters run on 32-bit two's complement arithmetic, as they always did;
// adding through unsigned keeps a wrap defined instead of undefined.
constexpr std::int32_t AddWrapping(std::int32_t value, std::int32_t amount) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) +
                                   static_cast<std::uint32_t>(amount));
}

// The balloon at (column, row) pops: burst, clap, count, launches, and the
// resting pin below it is removed.
void PopBalloon(PlayScene& scene, int column, int row);

// One turn of the flying pin at (column, row).
void FlyPin(PlayScene& scene, int column, int row);

}  // namespace clearing
