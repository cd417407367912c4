// The modal box of the game's fatal errors, above its window. One
// implementation for each kind of system, chosen by CMake: SDL's own box, or
// on Windows the system's MessageBoxW, as the game always showed it.
#pragma once

#include <SDL.h>

namespace platform {

// Texts in UTF-8. False when no box could be shown.
[[nodiscard]] bool ShowErrorBox(SDL_Window* window, const char* title, const char* message);

}  // namespace platform
