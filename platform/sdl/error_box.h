// The modal boxes of the game, above its window. One
// implementation for each kind of system, chosen by CMake: SDL's own box, or
// on Windows the system's MessageBoxW, as the game always showed it.
#pragma once

#include <SDL.h>

namespace platform {

// Texts in UTF-8. False when no box could be shown.
[[nodiscard]] bool ShowErrorBox(SDL_Window* window, const char* title, const char* message);

// The same box as a warning of a failure the game gets past, such as a
// result it could not save. Only Windows shows it, where a player started
// from the desktop has no standard error to read; elsewhere the line there
// is the game's word, and this shows nothing and returns false.
[[nodiscard]] bool ShowWarningBox(SDL_Window* window, const char* title, const char* message);

}  // namespace platform
