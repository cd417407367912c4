#include "platform/sdl/window_system.h"

#include <cstring>

#if MORVEX2_WITH_X11
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
