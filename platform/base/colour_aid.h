// Whether the pins and balloons are drawn with a mark for each colour, a shape
// that tells the colours apart for players who cannot tell them by their hue.
// The host sets it from the player's choice; the drawing reads it to pick the
// tile sheet. The game itself never sees it.
#pragma once

namespace platform {

void SetColourAid(bool on);
[[nodiscard]] bool ColourAidOn();

}  // namespace platform
