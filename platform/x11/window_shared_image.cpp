#include "platform/x11/window_shared_image.h"

#include <SDL_syswm.h>

#include <cstdint>

#include "platform/base/failure_log.h"
#include "platform/win32/sdl_failure.h"

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#endif

namespace platform {

#if defined(SDL_VIDEO_DRIVER_X11)

struct WindowSharedImage::Picture {
  XImage* image = nullptr;
  XShmSegmentInfo segment{};
  SDL_Surface* surface = nullptr;
};

namespace {

Display* Connection(void* display) {
  return static_cast<Display*>(display);
}

bool g_attachFailed = false;

int NoteAttachFailure(Display*, XErrorEvent*) {
  g_attachFailed = true;
  return 0;
}

// A server that cannot reach the memory (one in another namespace) answers
// the attach with an error, which Xlib's own handler would end the program
// for: it is caught here. The round trip is paid once for each picture.
bool AttachOnServer(Display* display, XShmSegmentInfo* segment) {
  g_attachFailed = false;
  const XErrorHandler previous = XSetErrorHandler(NoteAttachFailure);
  const Status attached = XShmAttach(display, segment);
  XSync(display, False);
  XSetErrorHandler(previous);
  return attached != 0 && !g_attachFailed;
}

// The image's description only; its pixels are the shared memory's.
void DropImage(XImage* image) {
  image->data = nullptr;
  XDestroyImage(image);
}

}  // namespace

WindowSharedImage::WindowSharedImage() = default;

WindowSharedImage::~WindowSharedImage() {
  Watch(nullptr);
}

void WindowSharedImage::Watch(SDL_Window* window) {
  Drop();
  if (gc_ != nullptr) XFreeGC(Connection(display_), static_cast<GC>(gc_));
  gc_ = nullptr;
  display_ = nullptr;
  window_ = 0;
  refused_ = false;
  if (window == nullptr) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
  Display* display = info.info.x11.display;
  XWindowAttributes attributes{};
  if (XShmQueryExtension(display) == False ||
      XGetWindowAttributes(display, info.info.x11.window, &attributes) == 0) {
    return;
  }
  GC gc = XCreateGC(display, info.info.x11.window, 0, nullptr);
  if (gc == nullptr) return;
  display_ = display;
  window_ = info.info.x11.window;
  gc_ = gc;
  visual_ = attributes.visual;
  depth_ = attributes.depth;
}

SDL_Surface* WindowSharedImage::Surface(int width, int height) {
  if (display_ == nullptr || refused_ || width <= 0 || height <= 0) return nullptr;
  if (picture_ != nullptr && picture_->surface->w == width && picture_->surface->h == height) {
    return picture_->surface;
  }
  Drop();
  if (!Make(width, height)) return nullptr;
  return picture_->surface;
}

// Any step that fails undoes the ones before it; a server that refuses to
// share is not asked again, and the caller keeps SDL's own surface.
bool WindowSharedImage::Make(int width, int height) {
  Display* display = Connection(display_);
  auto* visual = static_cast<Visual*>(visual_);
  auto picture = std::make_unique<Picture>();
  XShmSegmentInfo& segment = picture->segment;
  XImage* image =
      XShmCreateImage(display, visual, static_cast<unsigned>(depth_), ZPixmap, nullptr, &segment,
                      static_cast<unsigned>(width), static_cast<unsigned>(height));
  if (image == nullptr) return false;
  const Uint32 format = SDL_MasksToPixelFormatEnum(image->bits_per_pixel, visual->red_mask,
                                                   visual->green_mask, visual->blue_mask, 0);
  const auto bytes = static_cast<std::size_t>(image->bytes_per_line) * image->height;
  segment.shmid =
      format == SDL_PIXELFORMAT_UNKNOWN ? -1 : shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (segment.shmid < 0) {
    DropImage(image);
    return false;
  }
  segment.shmaddr = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
  segment.readOnly = False;
  // shmat's failure is the address -1.
  const bool mapped = reinterpret_cast<std::intptr_t>(segment.shmaddr) != -1;
  const bool attached = mapped && AttachOnServer(display, &segment);
  // Marked for removal at once: the memory goes when both sides have let go
  // of it, however the game ends.
  shmctl(segment.shmid, IPC_RMID, nullptr);
  if (!attached) {
    if (mapped) shmdt(segment.shmaddr);
    DropImage(image);
    refused_ = true;
    LogFailure("XShmAttach", "the X server shares no memory with the game; SDL's surface is used",
               Repeats::kSayOnce);
    return false;
  }
  image->data = segment.shmaddr;
  picture->image = image;
  picture->surface = SDL_CreateRGBSurfaceWithFormatFrom(
      image->data, width, height, image->bits_per_pixel, image->bytes_per_line, format);
  picture_ = std::move(picture);
  if (picture_->surface == nullptr) {
    LogSdlFailure("SDL_CreateRGBSurfaceWithFormatFrom(window picture)", Repeats::kSayOnce);
    Drop();
    return false;
  }
  return true;
}

// The server lets go of the memory before the game does.
void WindowSharedImage::Drop() {
  if (picture_ == nullptr) return;
  Display* display = Connection(display_);
  XShmDetach(display, &picture_->segment);
  XSync(display, False);
  shmdt(picture_->segment.shmaddr);
  DropImage(picture_->image);
  SDL_FreeSurface(picture_->surface);
  picture_.reset();
}

bool WindowSharedImage::Put(const SDL_Rect* parts, int count) {
  if (picture_ == nullptr) return false;
  Display* display = Connection(display_);
  const SDL_Rect whole{0, 0, picture_->surface->w, picture_->surface->h};
  for (int i = 0; i < count; ++i) {
    SDL_Rect part{};
    if (SDL_IntersectRect(&parts[i], &whole, &part) != SDL_TRUE) continue;
    XShmPutImage(display, window_, static_cast<GC>(gc_), picture_->image, part.x, part.y, part.x,
                 part.y, static_cast<unsigned>(part.w), static_cast<unsigned>(part.h), False);
  }
  XFlush(display);
  return true;
}

#else

struct WindowSharedImage::Picture {};
WindowSharedImage::WindowSharedImage() = default;
WindowSharedImage::~WindowSharedImage() = default;
void WindowSharedImage::Watch(SDL_Window*) {}
SDL_Surface* WindowSharedImage::Surface(int, int) {
  return nullptr;
}
bool WindowSharedImage::Make(int, int) {
  return false;
}
void WindowSharedImage::Drop() {}
bool WindowSharedImage::Put(const SDL_Rect*, int) {
  return false;
}

#endif

}  // namespace platform
