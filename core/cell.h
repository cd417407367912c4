// One cell of the play field (also a preview cell and a title-screen balloon),
// and the field of 8 columns by 12 rows, stored column by column.
#pragma once

#include <array>
#include <cstdint>

struct Cell {
  std::int32_t kind;
  std::int32_t rise;
  std::int32_t skip;
  std::int32_t popMark;
  std::int32_t launched;
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
