// The two ways the game's frame fills the screen, as the player chooses them
// (Alt+S, --scale) and the settings file keeps them; the SDL host's frame
// scaler draws them.
#pragma once

namespace platform {

enum class ScaleMode { kSmooth, kPixelExact };

}  // namespace platform
