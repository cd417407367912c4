// The one place that chooses how the window surface reaches the screen and
// how the game waits for input. Where SDL runs on an X server and the game
// was built with the X11 accelerator (platform/x11, the CMake option
// MORVEX2_X11), the surface is shared with the server and put without waiting
// for its answer, and the wait is one poll on the X connection: both cost
// less than SDL's ways there. On any other window system (Wayland, say), or
// built without it, SDL's window surface and SDL's own wait; in a browser,
// SDL's window surface (the page's canvas) and a wait of the page's.
#pragma once

#include <SDL.h>

#include <memory>

#include "platform/sdl/input_wait.h"
#include "platform/sdl/window_surface.h"

namespace platform {

// The surface of `window`, which must outlive it.
std::unique_ptr<WindowSurface> MakeWindowSurface(SDL_Window* window);
// The wait for input to `window`; SDL's own for a null window.
std::unique_ptr<InputWait> MakeInputWait(SDL_Window* window);

}  // namespace platform
