// Which tile of the sheet "FHSPRITE" shows a cell of each kind. The sheet has
// four colour columns (red, green, blue, magenta) and ten rows of 40 x 40 tiles.
#pragma once

#include <cstdint>
#include <optional>

struct TilePos {
  int column;
  int row;

  bool operator==(const TilePos&) const = default;
};

constexpr int kTileSize = 40;

// Nothing for an empty cell and for every kind that has no picture.
std::optional<TilePos> TileOfKind(std::int32_t kind);
