// Turns SDL's keys into the Win32 virtual-key codes the game compares against.
#pragma once

#include <SDL.h>

#include "platform/win32/win32.h"

namespace platform {

// The virtual-key code of a key, or 0 for a key that has none.
UINT VirtualKeyFromSdl(SDL_Keycode key);

}  // namespace platform
