#include "platform/x11/window_input_wait.h"

#include <SDL_syswm.h>
#include <poll.h>

#include <cerrno>

#include "platform/base/loop_wake.h"

namespace platform {

void WindowInputWait::Watch(SDL_Window* window) {
  display_ = nullptr;
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window != nullptr && SDL_GetWindowWMInfo(window, &info) == SDL_TRUE &&
      info.subsystem == SDL_SYSWM_X11) {
    display_ = info.info.x11.display;
  }
#else
  (void)window;
#endif
}

bool WindowInputWait::MayHaveInput() {
  return display_ == nullptr || Wait(0);
}

bool WindowInputWait::Wait(int ms) {
#if defined(SDL_VIDEO_DRIVER_X11)
  if (display_ != nullptr) {
    auto* display = static_cast<Display*>(display_);
    // Events that Xlib has already read off the connection (while waiting for
    // a reply, say) are input too, and would not wake the poll.
    if (XQLength(display) > 0) return true;
    // The connection, and the wake of work finished on another thread (a
    // network answer), which the game takes at the next look.
    pollfd watched[2] = {{ConnectionNumber(display), POLLIN, 0}, {LoopWakeDescriptor(), POLLIN, 0}};
    const int ready = ::poll(watched, watched[1].fd >= 0 ? 2 : 1, ms);
    if (ready > 0 && (watched[1].revents & POLLIN) != 0) TakeLoopWake();
    return ready != 0;  // an interrupted poll looks again at once
  }
#endif
  return SDL_WaitEventTimeout(nullptr, ms) != 0;
}

}  // namespace platform
