#include "platform/sdl/window_system.h"

#include <cstring>

#if MORVEX2_WITH_X11
#include "platform/sdl/sdl_host.h"
#include "platform/x11/window_input_wait.h"
#include "platform/x11/window_shared_image.h"
#endif

namespace platform {

namespace {

#if MORVEX2_WITH_X11

bool OnX11() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && std::strcmp(driver, "x11") == 0;
}

// The strip shared with the X server; SDL's window surface where the server
// will not share memory (a remote display).
class X11WindowSurface final : public WindowSurface {
 public:
  explicit X11WindowSurface(SDL_Window* window) : sdl_(window) { shared_.Watch(window); }

  SDL_Surface* Surface(int width, int height) override {
    SDL_Surface* surface = shared_.Surface(width, height);
    usingShared_ = surface != nullptr;
    return usingShared_ ? surface : sdl_.Surface(width, height);
  }
  bool Put(const SDL_Rect* parts, int count) override {
    return !usingShared_ && sdl_.Put(parts, count);
  }
  [[nodiscard]] int StripRows() const override { return usingShared_ ? shared_.Rows() : 0; }
  SDL_Point Stage(int columns, int rows) override { return shared_.Stage(columns, rows); }
  bool PutFrom(const SDL_Rect& part, SDL_Point from) override {
    return shared_.PutFrom(part, from);
  }
  void FrameDone() override { shared_.FrameDone(); }

 private:
  WindowSharedImage shared_;
  SdlWindowSurface sdl_;
  bool usingShared_ = false;
};

class X11InputWait final : public InputWait {
 public:
  explicit X11InputWait(SDL_Window* window) { wait_.Watch(window); }
  bool Wait(int ms) override { return wait_.Wait(ms); }
  bool MayHaveInput() override { return wait_.MayHaveInput(); }
  // What the connection does not bring (a controller plugged in) the host
  // looks at every kQuietPollMs, however long the wait; a network answer
  // wakes the wait itself (platform/base/loop_wake.h). Every wake-up ends in
  // a frame drawn again, the same as the one before: woken every tenth of a
  // second, the play screen at its first speed drew ten frames a second for
  // the one its timer asks for. scripts/measure.sh at 640 x 480, two
  // interleaved 20 s runs at a load of 19 to 21, scheduler's count: the
  // running game 0.11-0.12 % of a core against 0.17-0.21 %, its drawing
  // thread woken 2 times a second against 10.
  [[nodiscard]] std::int64_t LongestSleepMs() const override { return SdlHost::kQuietPollMs; }

 private:
  WindowInputWait wait_;
};

#endif

}  // namespace

std::unique_ptr<WindowSurface> MakeWindowSurface(SDL_Window* window) {
#if MORVEX2_WITH_X11
  if (window != nullptr && OnX11()) return std::make_unique<X11WindowSurface>(window);
#endif
  return std::make_unique<SdlWindowSurface>(window);
}

std::unique_ptr<InputWait> MakeInputWait([[maybe_unused]] SDL_Window* window) {
#if MORVEX2_WITH_X11
  if (window != nullptr && OnX11()) return std::make_unique<X11InputWait>(window);
#endif
  return std::make_unique<SdlInputWait>();
}

}  // namespace platform
