#include "platform/sdl_video.h"

#include <time.h>

#include <algorithm>

#include "platform/ddraw.h"

namespace platform {

namespace {

SDL_Window* g_mainWindow = nullptr;

constexpr std::int64_t kFrameNs = 1'000'000'000 / 60;
// A renderer that waits for the display cannot show a run of frames faster, on
// average, than most of the display's refresh period. One that does (the dummy
// and offscreen drivers claim to wait but do not) is not trusted after such a
// run; the frames are then paced by sleeping.
constexpr int kCheckedRun = 30;

std::int64_t MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

// An absolute deadline, so that a late wake-up does not push the next one later.
void SleepUntilNs(std::int64_t deadline) {
  timespec until{static_cast<time_t>(deadline / 1'000'000'000),
                 static_cast<long>(deadline % 1'000'000'000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != 0) {
  }
}

}  // namespace

SDL_Window* MainSdlWindow() {
  return g_mainWindow;
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
  videoStarted_ = videoStarted_ || SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  return videoStarted_;
}

bool SdlVideo::Create(const char* title, int width, int height) {
  if (!StartVideo()) return true;  // no screen: the display set-up will say so
  window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                             SDL_WINDOW_HIDDEN | SDL_WINDOW_FULLSCREEN_DESKTOP);
  if (window_ == nullptr) return true;
  fullscreen_ = true;
  g_mainWindow = window_;
  SDL_AddEventWatch(&SdlVideo::WatchEvent, this);
  return true;
}

void SdlVideo::Show() {
  if (window_ == nullptr) return;
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);
}

void SdlVideo::Destroy() {
  Close();
  if (window_ == nullptr) return;
  SDL_DelEventWatch(&SdlVideo::WatchEvent, this);
  SDL_DestroyWindow(window_);
  if (g_mainWindow == window_) g_mainWindow = nullptr;
  window_ = nullptr;
}

int SdlVideo::DesktopWidth() {
  SDL_DisplayMode mode{};
  // Asked before the window is made, to make it the desktop's size.
  if (StartVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0) return mode.w;
  return 640;
}

int SdlVideo::DesktopHeight() {
  SDL_DisplayMode mode{};
  if (StartVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0) return mode.h;
  return 480;
}

bool SdlVideo::Open(int width, int height) {
  if (window_ == nullptr) return false;
  Close();
  renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
  if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (renderer_ == nullptr) return false;
  SDL_RendererInfo info{};
  vsync_ = SDL_GetRendererInfo(renderer_, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC);
  frameWidth_ = width;
  frameHeight_ = height;
  if (!MakeTexture()) {
    Close();
    return false;
  }
  SDL_DisplayMode mode{};
  const bool knownRate = SDL_GetWindowDisplayMode(window_, &mode) == 0 && mode.refresh_rate > 0;
  refreshNs_ = knownRate ? 1'000'000'000 / mode.refresh_rate : kFrameNs;
  runFrames_ = 0;
  runStartNs_ = nextDeadlineNs_ = MonotonicNs();
  return true;
}

bool SdlVideo::MakeTexture() {
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                               frameWidth_, frameHeight_);
  if (texture_ == nullptr) return false;
  SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
  textureLost_ = false;
  return true;
}

void SdlVideo::Close() {
  if (texture_ != nullptr) SDL_DestroyTexture(texture_);
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  texture_ = nullptr;
  renderer_ = nullptr;
}

void SdlVideo::Present(const SDL_Surface& frame) {
  if (renderer_ == nullptr) return;
  if (textureLost_ && !MakeTexture()) return;
  if (frame.w == frameWidth_ && frame.h == frameHeight_) {
    SDL_UpdateTexture(texture_, nullptr, frame.pixels, frame.pitch);
    int outputWidth = 0;
    int outputHeight = 0;
    SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight);
    const SDL_Rect where = PresentRect(outputWidth, outputHeight, frameWidth_, frameHeight_);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, &where);
    SDL_RenderPresent(renderer_);
  }
  if (pacing_) WaitForNextFrame();
}

void SdlVideo::WaitForNextFrame() {
  const std::int64_t now = MonotonicNs();
  if (vsync_) {
    // The present has waited for the display, unless it only claims to.
    if (++runFrames_ == kCheckedRun) {
      if ((now - runStartNs_) / kCheckedRun < refreshNs_ * 3 / 4) vsync_ = false;
      runFrames_ = 0;
      runStartNs_ = now;
    }
    nextDeadlineNs_ = now;
    return;
  }
  nextDeadlineNs_ += kFrameNs;
  // Far behind (a stall, a debugger): start afresh rather than race to catch up.
  if (nextDeadlineNs_ < now - kFrameNs) nextDeadlineNs_ = now;
  SleepUntilNs(nextDeadlineNs_);
}

void SdlVideo::ToggleFullscreen() {
  if (window_ == nullptr) return;
  if (!fullscreen_) {
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    fullscreen_ = true;
    return;
  }
  SDL_SetWindowFullscreen(window_, 0);
  // Twice the game's size, unless the desktop is too small for that.
  const int scale = DesktopWidth() >= 1280 && DesktopHeight() >= 960 ? 2 : 1;
  SDL_SetWindowSize(window_, 640 * scale, 480 * scale);
  SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  fullscreen_ = false;
}

int SdlVideo::WatchEvent(void* self, SDL_Event* event) {
  static_cast<SdlVideo*>(self)->OnEvent(*event);
  return 0;
}

void SdlVideo::OnEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_RENDER_DEVICE_RESET:
      textureLost_ = true;
      LoseDisplay();
      return;
    case SDL_RENDER_TARGETS_RESET:
      LoseDisplay();
      return;
    case SDL_WINDOWEVENT:
      if (window_ == nullptr || event.window.windowID != SDL_GetWindowID(window_)) return;
      // Leaving a full screen takes the display away, as a task switch did.
      if (fullscreen_ && (event.window.event == SDL_WINDOWEVENT_MINIMIZED ||
                          event.window.event == SDL_WINDOWEVENT_FOCUS_LOST)) {
        LoseDisplay();
      }
      return;
    default:
      return;
  }
}

}  // namespace platform
