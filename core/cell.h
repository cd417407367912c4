// One cell of the play field (also a preview cell and a title-screen balloon),
// and the field of 8 columns by 12 rows, stored column by column.
#pragma once

#include <array>
#include <cstdint>

struct Cell {
  // What the cell holds: kEmpty, kFlask, kBurst, a resting pin (-1 to -4), a
  // balloon (-5 to -8) or a flying pin (see the kinds below).
  std::int32_t kind;
  // How many rows a pin thrown up has climbed, 0 to 3; it goes with the pin
  // as it climbs, and at 3 the pin comes to rest on its next turn.
  std::int32_t rise;
  // 1 when the next resolution scan to reach the cell is to pass it by, only
  // clearing the flag: a pin written ahead of the scan's order, or a balloon
  // just marked, acts one scan later. Emptying a cell keeps it.
  std::int32_t skip;
  // 1 on a balloon that pops when a scan next reaches it.
  std::int32_t popMark;
  // 1 on a pin thrown by a pop that has not yet left its cell: blocked at
  // once, it is removed instead of coming to rest. A move leaves it behind.
  std::int32_t launched;
  // Where the cell's tile is drawn on the screen, its top-left corner in
  // pixels: fixed for the field and the preview, moving for the title's
  // balloons.
  std::int32_t x;
  std::int32_t y;
};

struct CellPos {
  std::int32_t column;
  std::int32_t row;

  bool operator==(const CellPos&) const = default;
};

constexpr int kFieldColumns = 8;
constexpr int kFieldRows = 12;  // row 0 is hidden above the visible rows 1 to 11
constexpr int kFieldCells = kFieldColumns * kFieldRows;

using Field = std::array<Cell, kFieldCells>;

// Column-major: the cell below (c, r) is the next element, the one to its right
// twelve elements further on.
constexpr int FieldIndex(int column, int row) {
  return column * kFieldRows + row;
}

// Empties a cell. Its skip flag and its screen position stay.
inline void ClearCell(Cell& cell) {
  cell.kind = 0;
  cell.rise = 0;
  cell.popMark = 0;
  cell.launched = 0;
}

// Cell kinds.
constexpr std::int32_t kEmpty = 0;
constexpr std::int32_t kFlask = 1;
constexpr std::int32_t kBurst = 2;

constexpr bool IsRestingPin(std::int32_t kind) {
  return kind >= -4 && kind <= -1;
}
constexpr bool IsBalloon(std::int32_t kind) {
  return kind >= -8 && kind <= -5;
}
// A flying pin is 16 x direction + colour, direction 1 to 7, colour 1 to 4.
constexpr bool IsFlyingPin(std::int32_t kind) {
  return kind >= 17 && kind <= 116 && (kind & 15) >= 1 && (kind & 15) <= 4;
}
