// A balloon popping: it turns into a burst, the clap sounds, and the resting
// pins around it are thrown.
#include "core/globals.h"
#include "play/clearing_rules.h"

namespace clearing {
namespace {

// The neighbours a pop throws, in the order they are thrown. A neighbour that
// is off the field or holds no resting pin is passed over. `skip` holds back a
// pin that the scan would otherwise reach later in this same scan.
struct Launch {
  int columnStep;
  int rowStep;
  Direction direction;
  bool setsSkip;
  // When the up-right pin stands on the balloon of its own colour, it stays to
  // pop that balloon itself, and shelters the pin down-right of the pop.
  bool heldByUpRightMatch;
};

constexpr Launch kLaunches[] = {
    {0, -1, kUp, true, false},        {-1, -1, kUpLeft, true, false}, {-1, 0, kLeft, false, false},
    {-1, 1, kDownLeft, false, false}, {1, -1, kUpRight, true, true},  {1, 0, kRight, true, false},
    {1, 1, kDownRight, true, true},
};

// Whether the cell up-right of (column, row) holds a resting pin standing on
// the balloon of its own colour (the cell right of (column, row)). Above the
// top row there is no such cell: nothing is looked at outside the field.
bool UpRightPinOnItsBalloon(const PlayScene& scene, int column, int row) {
  if (!InField(column + 1, row - 1)) return false;
  const std::int32_t pin = scene.At(column + 1, row - 1).kind;
  return IsRestingPin(pin) && scene.At(column + 1, row).kind == BalloonOfRestingPin(pin);
}

void LaunchNeighbours(PlayScene& scene, int column, int row) {
  for (const Launch& launch : kLaunches) {
    const int c = column + launch.columnStep;
    const int r = row + launch.rowStep;
    if (!InField(c, r)) continue;
    Cell& pin = scene.At(c, r);
    if (!IsRestingPin(pin.kind)) continue;
    if (launch.heldByUpRightMatch && UpRightPinOnItsBalloon(scene, column, row)) continue;
    pin.kind = FlyingPinKind(launch.direction, -pin.kind);
    pin.launched = 1;
    if (launch.setsSkip) pin.skip = 1;
  }
}

// The pin the balloon carried on its point goes with it, whatever its colour.
void RemovePinBelow(PlayScene& scene, int column, int row) {
  if (row == kLastRow) return;
  Cell& below = scene.At(column, row + 1);
  if (IsRestingPin(below.kind)) ClearCell(below);
}

}  // namespace

void PopBalloon(PlayScene& scene, int column, int row) {
  scene.removedCount = AddWrapping(scene.removedCount, 1);
  // The burst keeps its pop mark until the next scan sweeps it away.
  scene.At(column, row).kind = kBurst;
  PlaySoundA("Clap.wav", g_hInstance, SND_FILENAME | SND_ASYNC);
  LaunchNeighbours(scene, column, row);
  RemovePinBelow(scene, column, row);
}

}  // namespace clearing
