// The window's picture shared with a real X server (run under a virtual one):
// what is put is exactly what the window shows, and only the parts named go.
#include "platform/x11/window_shared_image.h"

#include <gtest/gtest.h>

#include <cstring>

// After the test framework: Xlib's macros (None, Bool) clash with its names.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

class WindowSharedImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << SDL_GetError();
    videoStarted_ = true;
    if (std::strcmp(SDL_GetCurrentVideoDriver(), "x11") != 0) GTEST_SKIP() << "needs an X server";
    window_ =
        SDL_CreateWindow("shared", 0, 0, kWidth, kHeight, SDL_WINDOW_SHOWN | SDL_WINDOW_BORDERLESS);
    ASSERT_NE(window_, nullptr) << SDL_GetError();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_EQ(SDL_GetWindowWMInfo(window_, &info), SDL_TRUE);
    display_ = info.info.x11.display;
    xwindow_ = info.info.x11.window;
    WaitUntilViewable();
  }

  void TearDown() override {
    picture_.Watch(nullptr);
    if (window_ != nullptr) SDL_DestroyWindow(window_);
    if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  // Without a window manager the window is mapped at once; the server is
  // asked until it says so.
  void WaitUntilViewable() {
    for (int tries = 0; tries < 1000; ++tries) {
      SDL_PumpEvents();
      XWindowAttributes attributes{};
      XGetWindowAttributes(display_, xwindow_, &attributes);
      if (attributes.map_state == IsViewable) return;
    }
    FAIL() << "the window never became viewable";
  }

  // The window's pixel as the server holds it, once every request is done.
  unsigned long WindowPixel(int x, int y) {
    XSync(display_, False);
    XImage* image = XGetImage(display_, xwindow_, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return ~0UL;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return pixel;
  }

  static void Fill(SDL_Surface* surface, const SDL_Rect* part, Uint8 r, Uint8 g, Uint8 b) {
    SDL_FillRect(surface, part, SDL_MapRGB(surface->format, r, g, b));
  }

  static Uint32 Pixel(SDL_Surface* surface, Uint8 r, Uint8 g, Uint8 b) {
    return SDL_MapRGB(surface->format, r, g, b);
  }

  bool videoStarted_ = false;
  SDL_Window* window_ = nullptr;
  Display* display_ = nullptr;
  Window xwindow_ = 0;
  platform::WindowSharedImage picture_;
};

TEST_F(WindowSharedImageTest, OnlyThePartsPutReachTheWindowExactly) {
  picture_.Watch(window_);
  SDL_Surface* surface = picture_.Surface(kWidth, kHeight);
  ASSERT_NE(surface, nullptr);
  ASSERT_EQ(surface->w, kWidth);
  ASSERT_EQ(surface->h, kHeight);

  Fill(surface, nullptr, 200, 16, 40);
  const SDL_Rect whole{0, 0, kWidth, kHeight};
  ASSERT_TRUE(picture_.Put(&whole, 1));
  EXPECT_EQ(WindowPixel(0, 0), Pixel(surface, 200, 16, 40));
  EXPECT_EQ(WindowPixel(kWidth - 1, kHeight - 1), Pixel(surface, 200, 16, 40));

  // Two parts change in memory; only the first is put, and a part named
  // partly off the picture is cropped to it.
  const SDL_Rect put[2]{{8, 4, 10, 6}, {kWidth - 4, kHeight - 4, 20, 20}};
  const SDL_Rect notPut{40, 30, 5, 5};
  Fill(surface, &put[0], 0, 255, 0);
  Fill(surface, &put[1], 0, 0, 255);
  Fill(surface, &notPut, 255, 255, 255);
  ASSERT_TRUE(picture_.Put(put, 2));
  EXPECT_EQ(WindowPixel(8, 4), Pixel(surface, 0, 255, 0));
  EXPECT_EQ(WindowPixel(17, 9), Pixel(surface, 0, 255, 0));
  EXPECT_EQ(WindowPixel(18, 9), Pixel(surface, 200, 16, 40)) << "just right of the part";
  EXPECT_EQ(WindowPixel(kWidth - 1, kHeight - 1), Pixel(surface, 0, 0, 255));
  EXPECT_EQ(WindowPixel(42, 32), Pixel(surface, 200, 16, 40)) << "changed in memory, never put";
}

TEST_F(WindowSharedImageTest, ANewSizeGivesANewPictureAndClosingGivesNone) {
  picture_.Watch(window_);
  SDL_Surface* first = picture_.Surface(kWidth, kHeight);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(picture_.Surface(kWidth, kHeight), first) << "the same size keeps the picture";
  SDL_Surface* larger = picture_.Surface(kWidth * 2, kHeight * 2);
  ASSERT_NE(larger, nullptr);
  EXPECT_EQ(larger->w, kWidth * 2);
  EXPECT_EQ(larger->h, kHeight * 2);
  EXPECT_EQ(picture_.Surface(0, kHeight), nullptr);

  picture_.Watch(nullptr);
  EXPECT_FALSE(picture_.Watching());
  EXPECT_EQ(picture_.Surface(kWidth, kHeight), nullptr);
  const SDL_Rect whole{0, 0, kWidth, kHeight};
  EXPECT_FALSE(picture_.Put(&whole, 1));
}

}  // namespace
