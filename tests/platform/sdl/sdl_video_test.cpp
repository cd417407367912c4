// The present of the real screen.
#include "platform/sdl/sdl_video.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/ddraw.h"
#include "platform/win32/host.h"
#include "platform/win32/win32.h"
#include "platform/win32/window_backend.h"
#include "platform/win32/window_testing.h"
#include "tests/platform/sdl/sdl_video_probe.h"
#include "tests/support/headless/offscreen_video.h"
#include "tests/support/test_window.h"

namespace {

class SdlVideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(video_.Create("Morvex2", 640, 480));
    if (video_.Window() == nullptr) GTEST_SKIP() << "no SDL window under this driver";
    platform::SdlVideoProbe::SetPacing(video_, false);
    platform::InstallHost({.video = &video_});
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd_, nullptr), DD_OK);
    ASSERT_EQ(dd_->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(dd_->SetDisplayMode(640, 480, 16), DD_OK);
    DDSURFACEDESC desc{sizeof(DDSURFACEDESC),
                       DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                       0,
                       0,
                       1,
                       {DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX}};
    ASSERT_EQ(dd_->CreateSurface(&desc, &primary_, nullptr), DD_OK);
  }
  void TearDown() override {
    if (primary_ != nullptr) primary_->Release();
    if (dd_ != nullptr) dd_->Release();
    platform::UninstallHost();
  }
  void Send(Uint32 type, Uint8 windowEvent = 0) {
    SDL_Event event{};
    event.type = type;
    event.window.windowID = SDL_GetWindowID(video_.Window());
    event.window.event = windowEvent;
    SDL_PushEvent(&event);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  }
  platform::SdlVideo video_;
  IDirectDraw* dd_ = nullptr;
  IDirectDrawSurface* primary_ = nullptr;
};

TEST_F(SdlVideoTest, ResetsTakeTheScreenAwayAndWindowEventsAloneDoNot) {
  struct Case {
    Uint32 type;
    Uint8 windowEvent;
    bool fullScreen;
    bool lost;
  } const cases[] = {
      {SDL_RENDER_TARGETS_RESET, 0, true, true},
      {SDL_RENDER_DEVICE_RESET, 0, true, true},
      {SDL_WINDOWEVENT, SDL_WINDOWEVENT_MINIMIZED, true, false},
      {SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST, true, false},
      {SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST, false, false},
      {SDL_WINDOWEVENT, SDL_WINDOWEVENT_MOVED, true, false},
  };
  for (const auto& c : cases) {
    if (video_.IsFullscreen() != c.fullScreen) video_.ToggleFullscreen();
    primary_->Restore();
    Send(c.type, c.windowEvent);
    EXPECT_EQ(primary_->Flip(nullptr, DDFLIP_WAIT) == DDERR_SURFACELOST, c.lost)
        << c.type << "/" << int(c.windowEvent);
  }
  primary_->Restore();
  EXPECT_EQ(primary_->Flip(nullptr, DDFLIP_WAIT), DD_OK);  // shown again once restored
}

IDirectDrawSurface* g_screen = nullptr;
std::vector<bool> g_lostAtKey;

LRESULT RecordingProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN) g_lostAtKey.push_back(g_screen->Flip(nullptr, 0) == DDERR_SURFACELOST);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A key that SDL took in together with the focus loss reaches the game before
// the game learns it is in the background; the screen must still be there
// for it (a key that changes screens would otherwise take the fatal path).
// The full screen goes only once the game has been told.
TEST_F(SdlVideoTest, TheFullScreenGoesOnlyWhenTheGameLearnsItIsInTheBackground) {
  ASSERT_NE(testsupport::MakeTestWindow(RecordingProcedure, &video_), nullptr);
  g_screen = primary_;
  g_lostAtKey.clear();
  for (const bool fullScreen : {true, false}) {
    if (video_.IsFullscreen() != fullScreen) video_.ToggleFullscreen();
    primary_->Restore();
    Send(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST);
    platform::PostInputMessage(WM_KEYDOWN, VK_RETURN, 1);
    platform::PostInputMessage(WM_ACTIVATEAPP, 0, 0);
    testsupport::DispatchWaiting();
    EXPECT_EQ(primary_->Flip(nullptr, 0) == DDERR_SURFACELOST, fullScreen);
  }
  EXPECT_EQ(g_lostAtKey, std::vector<bool>({false, false}));
  platform::ResetWindowSystem();
}

}  // namespace
