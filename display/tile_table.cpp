#include "display/tile_table.h"

std::optional<TilePos> TileOfKind(std::int32_t kind) {
  if (kind == 1) return TilePos{0, 0};                         // flask
  if (kind == 2) return TilePos{1, 0};                         // burst
  if (kind >= -4 && kind <= -1) return TilePos{-kind - 1, 1};  // resting pins, point down
  if (kind >= -8 && kind <= -5) return TilePos{-kind - 5, 9};  // balloons
  // A flying pin is 16 x direction (1 to 7) + colour (1 to 4); its direction's
  // row follows the resting pins' row.
  const std::int32_t direction = kind / 16;
  const std::int32_t colour = kind % 16;
  if (kind > 0 && direction >= 1 && direction <= 7 && colour >= 1 && colour <= 4) {
    return TilePos{colour - 1, direction + 1};
  }
  return std::nullopt;
}
