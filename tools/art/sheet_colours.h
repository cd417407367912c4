// The four piece colours, shared by the tile sheet and the icon so that a red
// balloon is the same red everywhere.
#pragma once

#include "tools/art/colour.h"

namespace art {

inline constexpr Rgb kPieceColours[4] = {
    Hex(0xE8262E),  // red
    Hex(0x22B83C),  // green
    Hex(0x2C64F0),  // blue
    Hex(0xD633C9),  // magenta
};

}  // namespace art
