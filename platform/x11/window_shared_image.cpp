#include "platform/x11/window_shared_image.h"

#include <SDL_syswm.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/base/log.h"

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#endif

namespace platform {

#if defined(SDL_VIDEO_DRIVER_X11)

// SDL's surface over the shared pixels, freed with the picture (its pixels
// are the shared memory's, which it leaves alone).
struct FreeSurface {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};

struct WindowSharedImage::Image {
  XImage* image = nullptr;
  XShmSegmentInfo segment{};
  std::unique_ptr<SDL_Surface, FreeSurface> surface;
};

namespace {

// About the strip's size, in bytes.
constexpr int kStripBytes = 1024 * 1024;

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
  if (image_ != nullptr && image_->surface->w == width && windowHeight_ == height) {
    return image_->surface.get();
  }
  Drop();
  // Four bytes a pixel is the most a visual has.
  const int rows = std::min(height, std::max(1, kStripBytes / (width * 4)));
  if (!Make(width, rows)) return nullptr;
  windowHeight_ = height;
  return image_->surface.get();
}

int WindowSharedImage::Rows() const {
  return image_ != nullptr ? image_->surface->h : 0;
}

SDL_Point WindowSharedImage::Stage(int columns, int rows) {
  const int strip = Rows();
  if (strip == 0) return SDL_Point{0, 0};
  const int width = image_->surface->w;
  columns = std::clamp(columns, 0, width);
  rows = std::clamp(rows, 0, strip);
  if (shelfColumn_ > 0 && rows <= shelfRows_ && columns <= width - shelfColumn_) {
    if (!shelfThisFrame_) {
      // The shelf's rows were taken in a frame before: this frame uses them too.
      rowsThisFrame_ += shelfRows_;
      shelfThisFrame_ = true;
    }
    const SDL_Point at{shelfColumn_, shelfRow_};
    shelfColumn_ += columns;
    return at;
  }
  int at = nextRow_;
  int taken = rows;
  if (at + rows > strip) {  // the rows left at the bottom are skipped
    taken += strip - at;
    at = 0;
  }
  if (rowsThisFrame_ + taken > strip) {
    // Round the strip within one frame: the server must have copied the
    // frame's earlier parts before they are drawn over.
    XSync(Connection(display_), False);
    rowsThisFrame_ = 0;
    shelfThisFrame_ = false;
  }
  rowsThisFrame_ += taken;
  nextRow_ = at + rows;
  shelfRow_ = at;
  shelfRows_ = rows;
  shelfColumn_ = columns;
  shelfThisFrame_ = true;
  return SDL_Point{0, at};
}

// Any step that fails undoes the ones before it; a server that refuses to
// share is not asked again, and the caller keeps SDL's own surface.
bool WindowSharedImage::Make(int width, int height) {
  nextRow_ = 0;
  rowsThisFrame_ = 0;
  shelfColumn_ = 0;
  shelfThisFrame_ = false;
  Display* display = Connection(display_);
  auto* visual = static_cast<Visual*>(visual_);
  auto picture = std::make_unique<Image>();
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
    LogError("XShmAttach", "the X server shares no memory with the game; SDL's surface is used",
             Repeats::kLogOnce);
    return false;
  }
  image->data = segment.shmaddr;
  picture->image = image;
  picture->surface.reset(SDL_CreateRGBSurfaceWithFormatFrom(
      image->data, width, height, image->bits_per_pixel, image->bytes_per_line, format));
  image_ = std::move(picture);
  if (image_->surface == nullptr) {
    LogError("SDL_CreateRGBSurfaceWithFormatFrom(window picture)", SDL_GetError(),
             Repeats::kLogOnce);
    Drop();
    return false;
  }
  return true;
}

// The server lets go of the memory before the game does.
void WindowSharedImage::Drop() {
  if (image_ == nullptr) return;
  Display* display = Connection(display_);
  XShmDetach(display, &image_->segment);
  XSync(display, False);
  shmdt(image_->segment.shmaddr);
  DropImage(image_->image);
  image_.reset();
}

bool WindowSharedImage::PutFrom(const SDL_Rect& part, SDL_Point from) {
  if (image_ == nullptr) return false;
  const SDL_Rect window{0, 0, image_->surface->w, windowHeight_};
  SDL_Rect put{};
  if (SDL_IntersectRect(&part, &window, &put) != SDL_TRUE) return true;
  // What is cut off at the top or the left comes off the strip's part too;
  // nothing may come from beyond the strip.
  const int row = from.y + (put.y - part.y);
  const int column = from.x + (put.x - part.x);
  if (row < 0 || row + put.h > Rows() || column < 0 || column + put.w > image_->surface->w) {
    return false;
  }
  XShmPutImage(Connection(display_), window_, static_cast<GC>(gc_), image_->image, column, row,
               put.x, put.y, static_cast<unsigned>(put.w), static_cast<unsigned>(put.h), False);
  return true;
}

void WindowSharedImage::FrameDone() {
  rowsThisFrame_ = 0;
  shelfThisFrame_ = false;
  if (display_ != nullptr) XFlush(Connection(display_));
}

#else

struct WindowSharedImage::Image {};
WindowSharedImage::WindowSharedImage() = default;
WindowSharedImage::~WindowSharedImage() = default;
void WindowSharedImage::Watch(SDL_Window*) {}
SDL_Surface* WindowSharedImage::Surface(int, int) {
  return nullptr;
}
int WindowSharedImage::Rows() const {
  return 0;
}
SDL_Point WindowSharedImage::Stage(int, int) {
  return SDL_Point{0, 0};
}
bool WindowSharedImage::PutFrom(const SDL_Rect&, SDL_Point) {
  return false;
}
void WindowSharedImage::FrameDone() {}
bool WindowSharedImage::Make(int, int) {
  return false;
}
void WindowSharedImage::Drop() {}

#endif

}  // namespace platform
