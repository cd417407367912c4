#include "platform/sdl/sdl_video.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/base/clock.h"
#include "platform/base/log.h"
#include "platform/sdl/sdl_error.h"
#include "platform/sdl/window_system.h"
#include "platform/win32/ddraw.h"

namespace platform {

namespace {

SDL_Window* g_mainWindow = nullptr;

constexpr std::int64_t kFrameNs = 1'000'000'000 / 60;

// In a browser the window is the page's canvas, kept at the game's own size:
// the page scales it to the browser's window and has its own full-screen
// button.
bool IsPageCanvas(const char* driver) {
  return driver != nullptr && std::strcmp(driver, "emscripten") == 0;
}

bool HasPlainWindowImages(const char* driver) {
  return driver != nullptr &&
         (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "offscreen") == 0);
}

// An X server shows a window as soon as it is mapped, and the memory drivers
// show nothing anyway; other window systems wait for its first picture.
bool ShowsWindowsWithoutPicture(const char* driver) {
  return HasPlainWindowImages(driver) || (driver != nullptr && std::strcmp(driver, "dummy") == 0);
}

// SDL_VIDEODRIVER in the environment, or the hint set by the program.
bool DriverAskedFor() {
  const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  return asked != nullptr && asked[0] != '\0';
}

// Window events after which the window may not show the last frame any more.
bool LeavesWindowUnknown(Uint8 windowEvent) {
  switch (windowEvent) {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
      return true;
    default:
      return false;
  }
}

// The display's place on the desktop; where SDL cannot tell, the given size
// at the origin.
SDL_Rect DesktopBounds(int width, int height) {
  SDL_Rect desktop{0, 0, width, height};
  if (!SdlDone(SDL_GetDisplayBounds(0, &desktop), "SDL_GetDisplayBounds", Repeats::kLogOnce)) {
    desktop = SDL_Rect{0, 0, width, height};
  }
  return desktop;
}

}  // namespace

SDL_Window* MainSdlWindow() {
  return g_mainWindow;
}

bool DrawsOnlyIntoMemory() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr &&
         (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

SDL_Rect PresentRect(int outputWidth, int outputHeight, int frameWidth, int frameHeight) {
  if (frameWidth <= 0 || frameHeight <= 0 || outputWidth <= 0 || outputHeight <= 0) {
    return SDL_Rect{0, 0, 0, 0};
  }
  const int scale = std::min(outputWidth / frameWidth, outputHeight / frameHeight);
  int width = frameWidth * scale;
  int height = frameHeight * scale;
  if (scale == 0) {
    // Too small for the frame: shrink it, keeping its 4:3 shape.
    const std::int64_t byHeight = std::int64_t{outputHeight} * frameWidth / frameHeight;
    width = static_cast<int>(std::min<std::int64_t>(outputWidth, byHeight));
    height = static_cast<int>(std::int64_t{width} * frameHeight / frameWidth);
  }
  return SDL_Rect{(outputWidth - width) / 2, (outputHeight - height) / 2, width, height};
}

SdlVideo::~SdlVideo() {
  Destroy();
  if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlVideo::StartVideo() {
  if (videoStarted_ || videoRefused_) return videoStarted_;
#if defined(SDL_VIDEO_DRIVER_X11)
  // The game reads keys, never typed text, so the input method SDL opens on
  // X11 needs no compose table; the locale's would be read whole and kept
  // for as long as the game runs, half a megabyte for a UTF-8 locale.
  SDL_setenv("XCOMPOSEFILE", "/dev/null", 1);
#endif
  videoStarted_ = SdlDone(SDL_InitSubSystem(SDL_INIT_VIDEO), "SDL_InitSubSystem(SDL_INIT_VIDEO)");
  if (videoStarted_ && DrawsOnlyIntoMemory() && !DriverAskedFor()) {
    // With no display server SDL falls back to a driver that draws into
    // memory, and the game would run where nobody can see or stop it. Those
    // drivers are for the tests, which ask for them by name.
    LogError("SDL_InitSubSystem(SDL_INIT_VIDEO)", std::string("no display server, only the '") +
                                                      SDL_GetCurrentVideoDriver() +
                                                      "' video driver");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    videoStarted_ = false;
  }
  videoRefused_ = !videoStarted_;
  if (videoStarted_ && HasPlainWindowImages(SDL_GetCurrentVideoDriver())) {
    // The window's surface stays a plain image in memory (on X11 a shared
    // one): otherwise SDL puts it behind an OpenGL renderer, which costs tens
    // of megabytes of libraries, and a software rasteriser where there is no
    // graphics card. Window systems without such images keep SDL's choice.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  return videoStarted_;
}

// The window starts as a borderless one that covers the desktop, and is made
// full screen properly once the first frame is out (EnterFullScreen): where
// no window manager answers, SDL waits a tenth of a second for one, and that
// wait should not keep the title screen from showing.
bool SdlVideo::Create(const char* title, int width, int height) {
  if (!StartVideo()) return true;  // no screen: the display set-up will say so
  const SDL_Rect desktop = DesktopBounds(width, height);
  window_.reset(SdlMade(SDL_CreateWindow(title, desktop.x, desktop.y, width, height,
                                         SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS),
                        "SDL_CreateWindow"));
  if (window_ == nullptr) return false;
  fullscreen_ = true;
  fullScreenPending_ = !startInWindow_;
  g_mainWindow = window_.get();
  windowSurface_ = MakeWindowSurface(window_.get());
  SDL_AddEventWatch(&SdlVideo::WatchEvent, this);
  if (startInWindow_) LeaveFullScreen();
  return true;
}

void SdlVideo::Show() {
  if (window_ == nullptr) return;
  SDL_ShowWindow(window_.get());
  SDL_RaiseWindow(window_.get());
  if (!ShowsWindowsWithoutPicture(SDL_GetCurrentVideoDriver())) ShowBlack();
}

// The frames that follow paint the window whole all the same.
void SdlVideo::ShowBlack() {
  int width = 0;
  int height = 0;
  SDL_GetWindowSizeInPixels(window_.get(), &width, &height);
  SDL_Surface* surface = windowSurface_->Surface(width, height);
  if (surface == nullptr) return;
  const int rows = windowSurface_->StripRows() > 0 ? height : surface->h;
  (void)PutBlack(surface, SDL_Rect{0, 0, surface->w, rows});
  windowSurface_->FrameDone();
  repaint_ = true;
}

// Paints `area` of the window black: at once, or a strip at a time.
bool SdlVideo::PutBlack(SDL_Surface* target, const SDL_Rect& area) {
  const Uint32 black = SDL_MapRGB(target->format, 0, 0, 0);
  const int strip = windowSurface_->StripRows();
  if (strip == 0) {
    SDL_FillRect(target, &area, black);
    return UpdateWindow(&area, 1);
  }
  bool put = true;
  for (int y = area.y; y < area.y + area.h; y += strip) {
    const int rows = std::min(strip, area.y + area.h - y);
    const SDL_Point at = windowSurface_->Stage(area.w, rows);
    const SDL_Rect band{at.x, at.y, area.w, rows};
    SDL_FillRect(target, &band, black);
    put = windowSurface_->PutFrom(SDL_Rect{area.x, y, area.w, rows}, at) && put;
  }
  return put;
}

void SdlVideo::Destroy() {
  Close();
  if (window_ == nullptr) return;
  RememberWindowSize();
  SDL_DelEventWatch(&SdlVideo::WatchEvent, this);
  windowSurface_.reset();
  if (g_mainWindow == window_.get()) g_mainWindow = nullptr;
  window_.reset();
}

// Asked before the window is made, to make it the desktop's size; 640 x 480
// where SDL cannot tell.
SDL_DisplayMode SdlVideo::DesktopMode() {
  SDL_DisplayMode mode{};
  if (!StartVideo()) return SDL_DisplayMode{0, 640, 480, 0, nullptr};
  if (!SdlDone(SDL_GetDesktopDisplayMode(0, &mode), "SDL_GetDesktopDisplayMode",
               Repeats::kLogOnce)) {
    return SDL_DisplayMode{0, 640, 480, 0, nullptr};
  }
  return mode;
}

int SdlVideo::DesktopWidth() {
  return DesktopMode().w;
}

int SdlVideo::DesktopHeight() {
  return DesktopMode().h;
}

bool SdlVideo::Open(int width, int height) {
  if (window_ == nullptr) return false;
  Close();
  frameWidth_ = width;
  frameHeight_ = height;
  changes_.Reset(width, height);
  target_ = nullptr;
  if (TargetSurface() == nullptr) {
    changes_ = FrameChanges{};
    return false;
  }
  open_ = true;
  nextDeadlineNs_ = MonotonicNs();
  return true;
}

void SdlVideo::Close() {
  open_ = false;
  target_ = nullptr;
  changes_ = FrameChanges{};  // gives its copy of the frame back
}

// The window's surface, made ready for drawing. SDL makes a new one after a
// change of size; then the whole window is painted again.
SDL_Surface* SdlVideo::TargetSurface() {
  int width = 0;
  int height = 0;
  SDL_GetWindowSizeInPixels(window_.get(), &width, &height);
  SDL_Surface* surface = windowSurface_->Surface(width, height);
  if (surface == nullptr) {
    repaint_ = true;
    return nullptr;
  }
  // A strip stands for the whole window's height.
  const int rows = windowSurface_->StripRows() > 0 ? height : surface->h;
  if (surface != target_ || surface->w != targetWidth_ || rows != targetHeight_ ||
      surface->format->format != targetFormat_) {
    target_ = surface;
    targetWidth_ = surface->w;
    targetHeight_ = rows;
    targetFormat_ = surface->format->format;
    scaler_.Prepare(surface->w, rows, *surface->format, frameWidth_, frameHeight_, scaleMode_);
    repaint_ = true;
  }
  return surface;
}

void SdlVideo::Present(const PixelBuffer& frame) {
  PresentDirty(frame, FrameDirtyRects{});
}

void SdlVideo::PresentDirty(const PixelBuffer& frame, const FrameDirtyRects& writes) {
  if (!open_ || window_ == nullptr) return;
  if (PutOnScreen(frame, writes)) {
    ++changedFrames_;
    if (fullScreenPending_) EnterFullScreen();
  } else {
    ++unchangedFrames_;
  }
}

// The window may get a new surface on the way; the frame just shown goes on
// it at once rather than wait for the game's next one.
void SdlVideo::EnterFullScreen() {
  fullScreenPending_ = false;
  SetFullscreen(SDL_WINDOW_FULLSCREEN_DESKTOP);
  SDL_Surface* target = TargetSurface();
  if (target != nullptr && repaint_) ShowAll(target);
}

// True when anything went to the window.
bool SdlVideo::PutOnScreen(const PixelBuffer& frame, const FrameDirtyRects& writes) {
  if (frame.Width() != frameWidth_ || frame.Height() != frameHeight_) return false;
  // Compared first, whatever happens next, so that the copy is the frame
  // the window should show.
  const std::vector<SDL_Rect>& changed = changes_.Compare(frame, writes);
  SDL_Surface* target = TargetSurface();
  if (target == nullptr) return false;
  if (!repaint_ && changed.empty()) return false;
  if (pacing_) WaitForFrameTime();
  if (repaint_) {
    ShowAll(target);
  } else {
    ShowChanges(target, changed);
  }
  return true;
}

// The black borders are painted here, once for each new surface.
void SdlVideo::ShowAll(SDL_Surface* target) {
  const SDL_Rect frame{0, 0, frameWidth_, frameHeight_};
  if (windowSurface_->StripRows() == 0) {
    SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
    scaler_.Draw(changes_.Shown(), frame, target);
    const SDL_Rect whole{0, 0, target->w, target->h};
    repaint_ = !UpdateWindow(&whole, 1);
    return;
  }
  const SDL_Rect& shown = scaler_.Placement();
  const int below = shown.y + shown.h;
  const int right = shown.x + shown.w;
  const SDL_Rect borders[4]{{0, 0, targetWidth_, std::max(shown.y, 0)},
                            {0, below, targetWidth_, std::max(targetHeight_ - below, 0)},
                            {0, shown.y, std::max(shown.x, 0), shown.h},
                            {right, shown.y, std::max(targetWidth_ - right, 0), shown.h}};
  bool put = true;
  for (const SDL_Rect& border : borders) put = PutBlack(target, border) && put;
  put = DrawAndPut(target, frame) && put;
  windowSurface_->FrameDone();
  repaint_ = !put;
}

// A part of the frame drawn into the strip and put, as many frame rows at a
// time as reach no more of the window's rows than the strip holds.
bool SdlVideo::DrawAndPut(SDL_Surface* strip, const SDL_Rect& part) {
  const int rows = windowSurface_->StripRows();
  bool put = true;
  if (!scaler_.DrawsInParts()) {
    // The whole frame, shrunk, is drawn for every strip's worth of its rows;
    // the strip is clipped to those rows, as the rest of it is not free.
    const SDL_Rect where = scaler_.Reach(part);
    for (int y = where.y; y < where.y + where.h; y += rows) {
      const int band = std::min(rows, where.y + where.h - y);
      // Whole rows of the strip: the shrunk frame is drawn at its own columns.
      const SDL_Point at = windowSurface_->Stage(strip->w, band);
      const SDL_Rect clip{0, at.y, strip->w, band};
      SDL_SetClipRect(strip, &clip);
      scaler_.Draw(changes_.Shown(), part, strip, y - at.y);
      SDL_SetClipRect(strip, nullptr);
      put =
          windowSurface_->PutFrom(SDL_Rect{where.x, y, where.w, band}, SDL_Point{where.x, at.y}) &&
          put;
    }
    return put;
  }
  // A frame row reaches at most one window row more than its share on each side.
  const int perBand =
      std::max(1, (rows - 2) * frameHeight_ / std::max(scaler_.Placement().h, 1) - 1);
  for (int row = part.y; row < part.y + part.h; row += perBand) {
    const SDL_Rect band{part.x, row, part.w, std::min(perBand, part.y + part.h - row)};
    const SDL_Rect where = scaler_.Reach(band);
    if (where.h > rows) return false;  // a strip too narrow for one frame row
    const SDL_Point at = windowSurface_->Stage(where.w, where.h);
    scaler_.Draw(changes_.Shown(), band, strip, where.y - at.y, where.x - at.x);
    put = windowSurface_->PutFrom(where, at) && put;
  }
  return put;
}

void SdlVideo::ShowChanges(SDL_Surface* target, const std::vector<SDL_Rect>& changed) {
  if (windowSurface_->StripRows() > 0) {
    bool put = true;
    for (const SDL_Rect& part : changed) put = DrawAndPut(target, part) && put;
    windowSurface_->FrameDone();
    repaint_ = !put;
    return;
  }
  uploads_.clear();
  for (const SDL_Rect& part : changed) {
    uploads_.push_back(scaler_.Draw(changes_.Shown(), part, target));
  }
  repaint_ = !UpdateWindow(uploads_.data(), static_cast<int>(uploads_.size()));
}

// False when the window may not show what was asked: it is painted whole next time.
bool SdlVideo::UpdateWindow(const SDL_Rect* parts, int count) {
  return windowSurface_->Put(parts, count);
}

// Changed frames go out at most sixty times a second: one that comes sooner
// than 1/60 s after the one before waits for its time. The deadlines are
// absolute, so a late wake-up does not push the next one later; after a pause
// (the game sat still, a stall, a debugger) they start afresh.
void SdlVideo::WaitForFrameTime() {
  const std::int64_t now = MonotonicNs();
  if (nextDeadlineNs_ < now - kFrameNs) nextDeadlineNs_ = now;
  if (nextDeadlineNs_ > now) SleepUntilNs(nextDeadlineNs_);
  nextDeadlineNs_ += kFrameNs;
}

// Going back to full screen, the window is first made to cover the desktop
// again: where no window manager acts on the full-screen request, that is
// what makes it full screen.
void SdlVideo::ToggleFullscreen() {
  if (window_ == nullptr || IsPageCanvas(SDL_GetCurrentVideoDriver())) return;
  repaint_ = true;
  fullScreenPending_ = false;
  if (!fullscreen_) {
    RememberWindowSize();
    fullscreen_ = true;
    const SDL_Rect desktop = DesktopBounds(DesktopWidth(), DesktopHeight());
    SDL_SetWindowResizable(window_.get(), SDL_FALSE);
    SDL_SetWindowBordered(window_.get(), SDL_FALSE);
    SDL_SetWindowPosition(window_.get(), desktop.x, desktop.y);
    SDL_SetWindowSize(window_.get(), desktop.w, desktop.h);
    SetFullscreen(SDL_WINDOW_FULLSCREEN_DESKTOP);
    return;
  }
  LeaveFullScreen();
}

// A window the player can move and resize: the size it had last, or twice
// the game's size, unless the desktop is too small for that.
void SdlVideo::LeaveFullScreen() {
  SetFullscreen(0);
  const int desktopWidth = DesktopWidth();
  const int desktopHeight = DesktopHeight();
  const bool canvas = IsPageCanvas(SDL_GetCurrentVideoDriver());
  int width = windowWidth_;
  int height = windowHeight_;
  if (canvas || width <= 0 || height <= 0 || width > desktopWidth || height > desktopHeight) {
    const int scale = !canvas && desktopWidth >= 1280 && desktopHeight >= 960 ? 2 : 1;
    width = 640 * scale;
    height = 480 * scale;
  }
  fullscreen_ = false;
  SDL_SetWindowBordered(window_.get(), SDL_TRUE);
  SDL_SetWindowResizable(window_.get(), canvas ? SDL_FALSE : SDL_TRUE);
  SDL_SetWindowSize(window_.get(), width, height);
  SDL_SetWindowPosition(window_.get(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  windowWidth_ = width;
  windowHeight_ = height;
  repaint_ = true;
}

// The window stays as it was when the window system refuses.
void SdlVideo::SetFullscreen(Uint32 flags) {
  // What it answered is said; the window is left as it is either way.
  (void)SdlDone(SDL_SetWindowFullscreen(window_.get(), flags), "SDL_SetWindowFullscreen",
                Repeats::kLogOnce);
}

void SdlVideo::RememberWindowSize() {
  if (window_ == nullptr || fullscreen_) return;
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window_.get(), &width, &height);
  if (width > 0 && height > 0) {
    windowWidth_ = width;
    windowHeight_ = height;
  }
}

void SdlVideo::StartInWindow(bool windowed) {
  startInWindow_ = windowed;
  fullscreen_ = !windowed;  // as it will be, should no window ever be made
}

void SdlVideo::UseWindowSize(int width, int height) {
  windowWidth_ = width;
  windowHeight_ = height;
}

void SdlVideo::WindowSize(int* width, int* height) const {
  int w = windowWidth_;
  int h = windowHeight_;
  if (window_ != nullptr && !fullscreen_) SDL_GetWindowSize(window_.get(), &w, &h);
  *width = w;
  *height = h;
}

void SdlVideo::SetScaleMode(ScaleMode mode) {
  if (mode == scaleMode_) return;
  scaleMode_ = mode;
  target_ = nullptr;  // prepared again, for the new placement, at the next frame
  repaint_ = true;
}

// Leaving a full screen takes the display away, as a task switch did.
void SdlVideo::ActivationDelivered(bool active) {
  if (!active && fullscreen_) LoseDisplay();
}

int SdlVideo::WatchEvent(void* self, SDL_Event* event) {
  static_cast<SdlVideo*>(self)->OnEvent(*event);
  return 0;
}

void SdlVideo::OnEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_RENDER_DEVICE_RESET:
    case SDL_RENDER_TARGETS_RESET:
      repaint_ = true;
      LoseDisplay();
      return;
    case SDL_WINDOWEVENT:
      if (window_ == nullptr || event.window.windowID != SDL_GetWindowID(window_.get())) return;
      if (LeavesWindowUnknown(event.window.event)) repaint_ = true;
      return;
    default:
      return;
  }
}

}  // namespace platform
