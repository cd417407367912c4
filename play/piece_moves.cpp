// Moving and turning the falling piece. Every move works out the piece's new
// three positions, checks the cells it would newly enter, and carries the
// kinds over with ShiftPiece.
#include <algorithm>

#include "play/play_scene.h"

namespace {

constexpr int kBottomRow = 11;

// A quarter turn of an offset from the pivot, as seen on the screen where rows
// grow downwards: clockwise takes "above" to "right", counter-clockwise to
// "left".
CellPos Turn(CellPos offset, bool clockwise) {
  return clockwise ? CellPos{-offset.row, offset.column} : CellPos{offset.row, -offset.column};
}

}  // namespace

// Outside the field counts as occupied, so the walls and the floor block a
// piece the same way as a cell does.
bool PlayScene::IsFree(int column, int row) const {
  const bool inside = column >= 0 && column < kFieldColumns && row >= 0 && row < kFieldRows;
  return inside && At(column, row).kind == kEmpty;
}

// Only the cells the piece does not already cover are tested; the cells swept
// on the way (diagonal neighbours of the pivot during a turn) do not matter.
bool PlayScene::Fits(const std::array<CellPos, 3>& to) const {
  return std::all_of(to.begin(), to.end(), [this](const CellPos& pos) {
    const bool covered = std::find(piece.begin(), piece.end(), pos) != piece.end();
    return covered || IsFree(pos.column, pos.row);
  });
}

// Lifts all three kinds before writing any, so that a new position that
// overlaps the old one cannot overwrite a cell still to be moved. Only `kind`
// travels; the cells entered keep their other members.
void PlayScene::ShiftPiece(const std::array<CellPos, 3>& to) {
  std::array<std::int32_t, 3> kinds{};
  for (int i = 0; i < 3; ++i) {
    Cell& cell = At(piece[i].column, piece[i].row);
    kinds[i] = cell.kind;
    ClearCell(cell);
  }
  piece = to;
  for (int i = 0; i < 3; ++i) At(piece[i].column, piece[i].row).kind = kinds[i];
}

void PlayScene::MoveLeft() {
  ShiftColumns(-1);
}

void PlayScene::MoveRight() {
  ShiftColumns(+1);
}

void PlayScene::ShiftColumns(int step) {
  std::array<CellPos, 3> to = piece;
  for (CellPos& pos : to) pos.column += step;
  if (Fits(to)) ShiftPiece(to);
}

// A quarter turn about P1. A vertical piece against a wall has no room to turn
// in place, so it turns and steps one column away from that wall.
void PlayScene::Rotate(int direction) {
  const CellPos pivot = piece[1];
  if (pivot.row == kBottomRow) return;  // a flat piece on the floor cannot stand up
  const bool clockwise = direction == 0;
  int step = 0;
  if (pivot.column == 0) step = +1;
  if (pivot.column == kFieldColumns - 1) step = -1;
  std::array<CellPos, 3> to{};
  for (int i = 0; i < 3; ++i) {
    const CellPos turned =
        Turn(CellPos{piece[i].column - pivot.column, piece[i].row - pivot.row}, clockwise);
    to[i] = CellPos{pivot.column + step + turned.column, pivot.row + turned.row};
  }
  if (Fits(to)) ShiftPiece(to);
}
