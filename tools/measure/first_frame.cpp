// A preload library for scripts/measure.sh: it notes the moment the game
// first puts a frame on the screen. It stands in front of SDL's present calls,
// writes the monotonic time of the first one (nanoseconds) into the file named
// by MORVEX2_FIRST_FRAME_FILE, and passes every call on unchanged. The game
// itself knows nothing of it.
#include <SDL.h>
#include <dlfcn.h>
#include <time.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<bool> g_noted{false};

void NoteFirstFrame() {
  if (g_noted.exchange(true)) return;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const char* path = std::getenv("MORVEX2_FIRST_FRAME_FILE");
  if (path == nullptr) return;
  if (std::FILE* out = std::fopen(path, "w")) {
    std::fprintf(out, "%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fclose(out);
  }
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// The game's own put of its shared picture on X, SDL's window-surface
// present, and the renderer's present of older builds, so that the figure can
// be taken before and after each change of present.
//
// XShmPutImage is declared by its ABI (Display*, GC and XImage* are pointers,
// a Drawable an XID, Bool an int), so that a game built without the X11
// accelerator is measured without the X headers.
extern "C" {

struct Display;
using Drawable = unsigned long;
using GC = void*;
struct XImage;
using Bool = int;
constexpr Bool False = 0;

int SDL_UpdateWindowSurface(SDL_Window* window) {
  NoteFirstFrame();
  static const auto next = Next<int (*)(SDL_Window*)>("SDL_UpdateWindowSurface");
  return next != nullptr ? next(window) : -1;
}

int SDL_UpdateWindowSurfaceRects(SDL_Window* window, const SDL_Rect* rects, int count) {
  NoteFirstFrame();
  static const auto next =
      Next<int (*)(SDL_Window*, const SDL_Rect*, int)>("SDL_UpdateWindowSurfaceRects");
  return next != nullptr ? next(window, rects, count) : -1;
}

Bool XShmPutImage(Display* display, Drawable drawable, GC gc, XImage* image, int fromX, int fromY,
                  int toX, int toY, unsigned width, unsigned height, Bool sendEvent) {
  NoteFirstFrame();
  static const auto next =
      Next<Bool (*)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned, unsigned, Bool)>(
          "XShmPutImage");
  return next != nullptr
             ? next(display, drawable, gc, image, fromX, fromY, toX, toY, width, height, sendEvent)
             : False;
}

void SDL_RenderPresent(SDL_Renderer* renderer) {
  NoteFirstFrame();
  static const auto next = Next<void (*)(SDL_Renderer*)>("SDL_RenderPresent");
  if (next != nullptr) next(renderer);
}

}  // extern "C"
