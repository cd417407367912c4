// The clearing phase after a landing: gravity and resolution scans, one step a
// tick at 100 ms, until the field has settled and a scan on it finds nothing.
#include "play/clearing_rules.h"
#include "play/play_scene.h"

namespace {

using clearing::kLastRow;

// A resting pin marks the balloon of its colour directly below it; the mark
// is worth one point and the balloon pops when the next scan reaches it.
bool MarkBalloonBelow(PlayScene& scene, int column, int row) {
  if (row == kLastRow) return false;
  const std::int32_t pin = scene.At(column, row).kind;
  Cell& below = scene.At(column, row + 1);
  if (below.kind != clearing::BalloonOfRestingPin(pin)) return false;
  below.popMark = 1;
  scene.chainPoints = clearing::AddWrapping(scene.chainPoints, 1);
  return true;
}

// One cell's part in a resolution scan. True when it counts as activity.
bool ResolveCell(PlayScene& scene, int column, int row) {
  Cell& cell = scene.At(column, row);
  // A cell written earlier in this scan (or the last one) waits its turn.
  if (cell.skip != 0) {
    cell.skip = 0;
    return true;
  }
  const std::int32_t kind = cell.kind;
  if (IsRestingPin(kind)) return MarkBalloonBelow(scene, column, row);
  if (IsBalloon(kind)) {
    if (cell.popMark == 0) return false;
    clearing::PopBalloon(scene, column, row);
    return true;
  }
  if (IsFlyingPin(kind)) {
    clearing::FlyPin(scene, column, row);
    return true;
  }
  // A burst shows for one scan and is swept away by the next. A flask, and
  // any kind the game never makes, stays as it is.
  if (kind == kEmpty || kind == kBurst) ClearCell(cell);
  return false;
}

}  // namespace

void PlayScene::ClearingStep(HWND hwnd) {
  if (g_fieldSettled == 0) {
    g_fieldSettled = GravityStep();
    if (g_fieldSettled == 0) return;  // cells are still falling
  }
  if (ResolveStep() == 0) {
    g_resolveBusy = 1;
    return;
  }
  const bool cycleHadActivity = g_resolveBusy != 0;
  g_fieldSettled = 0;
  g_resolveBusy = 0;
  // After pops and flights the cells left over fall into the holes, and the
  // settled field is looked at again before the next piece may come.
  if (cycleHadActivity) return;
  spawnPending = PendingSpawn::kAfterClearing;
  phase = Phase::kFalling;
  KillTimer(hwnd, 1);
  SetTimer(hwnd, 1, static_cast<UINT>(interval), nullptr);
}

// Bottom-up within each column, so everything over a hole drops exactly one
// row per step and no cell moves twice. Only the kind travels.
std::int32_t PlayScene::GravityStep() {
  std::int32_t quiet = 1;
  for (int column = 0; column < kFieldColumns; ++column) {
    for (int row = kLastRow - 1; row >= 0; --row) {
      Cell& cell = At(column, row);
      Cell& below = At(column, row + 1);
      if (cell.kind == kEmpty || below.kind != kEmpty) continue;
      below.kind = cell.kind;
      ClearCell(cell);
      quiet = 0;
    }
  }
  return quiet;
}

// Columns left to right, each from the bottom row up. Whatever a cell writes
// ahead of this order acts later in the same scan unless it is given a skip;
// the timing of every flight and pop rests on this order.
std::int32_t PlayScene::ResolveStep() {
  std::int32_t quiet = 1;
  for (int column = 0; column < kFieldColumns; ++column) {
    for (int row = kLastRow; row >= 0; --row) {
      if (ResolveCell(*this, column, row)) quiet = 0;
    }
  }
  return quiet;
}

// Every balloon of any colour in the 7 x 7 square around the flask is marked
// to pop; the flask itself goes at once, without a burst.
void PlayScene::FlaskBlast(int column, int row) {
  if (!clearing::InField(column, row)) return;
  for (int c = column - 3; c <= column + 3; ++c) {
    for (int r = row - 3; r <= row + 3; ++r) {
      if (!clearing::InField(c, r) || !IsBalloon(At(c, r).kind)) continue;
      At(c, r).popMark = 1;
      At(c, r).skip = 1;
    }
  }
  ClearCell(At(column, row));
}
