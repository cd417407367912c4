// The window's strip shared with a real X server (run under a virtual one):
// each part drawn in the strip lands exactly at its place on the window.
#include "platform/x11/window_shared_image.h"

#include <gtest/gtest.h>

#include <cstring>

// After the test framework: Xlib's macros (None, Bool) clash with its names.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

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

TEST_F(WindowSharedImageTest, PartsGoFromTheStripToTheirPlaceExactly) {
  picture_.Watch(window_);
  SDL_Surface* strip = picture_.Surface(kWidth, kHeight);
  ASSERT_NE(strip, nullptr);
  ASSERT_EQ(strip->w, kWidth);
  ASSERT_EQ(picture_.Rows(), strip->h);
  ASSERT_LT(picture_.Rows(), kHeight) << "a megabyte holds fewer rows than the window";

  const SDL_Point first = picture_.Stage(kWidth, kHeight / 2);
  const SDL_Rect top{first.x, first.y, kWidth, kHeight / 2};
  Fill(strip, &top, 200, 16, 40);
  ASSERT_TRUE(picture_.PutFrom(SDL_Rect{0, 0, kWidth, kHeight / 2}, first));
  // A part low on the window, drawn high in the strip; one named partly off
  // the window is cropped to it.
  const SDL_Point at = picture_.Stage(10, 10);
  const SDL_Rect green{at.x, at.y, 10, 10};
  Fill(strip, &green, 0, 255, 0);
  ASSERT_TRUE(picture_.PutFrom(SDL_Rect{8, kHeight - 20, 10, 10}, at));
  const SDL_Point edge = picture_.Stage(20, 20);
  const SDL_Rect blue{edge.x, edge.y, 4, 4};
  Fill(strip, &blue, 0, 0, 255);
  ASSERT_TRUE(picture_.PutFrom(SDL_Rect{kWidth - 4, kHeight - 4, 20, 20}, edge));
  picture_.FrameDone();

  EXPECT_EQ(WindowPixel(0, 0), Pixel(strip, 200, 16, 40));
  EXPECT_EQ(WindowPixel(kWidth - 1, kHeight / 2 - 1), Pixel(strip, 200, 16, 40));
  EXPECT_EQ(WindowPixel(8, kHeight - 20), Pixel(strip, 0, 255, 0));
  EXPECT_EQ(WindowPixel(17, kHeight - 11), Pixel(strip, 0, 255, 0));
  EXPECT_NE(WindowPixel(18, kHeight - 11), Pixel(strip, 0, 255, 0)) << "just right of the part";
  EXPECT_EQ(WindowPixel(kWidth - 1, kHeight - 1), Pixel(strip, 0, 0, 255));
}

// Parts that go round the strip within one frame: the later ones draw over
// the strip's rows only once the server has taken the earlier ones.
TEST_F(WindowSharedImageTest, GoingRoundTheStripInOneFrameLosesNoPart) {
  picture_.Watch(window_);
  SDL_Surface* strip = picture_.Surface(kWidth, kHeight);
  ASSERT_NE(strip, nullptr);
  const int rows = kHeight / 3;
  const Uint8 shades[3] = {60, 120, 180};
  for (int i = 0; i < 3; ++i) {
    const SDL_Point at = picture_.Stage(kWidth, rows);
    const SDL_Rect band{at.x, at.y, kWidth, rows};
    Fill(strip, &band, shades[i], 0, 0);
    ASSERT_TRUE(picture_.PutFrom(SDL_Rect{0, i * rows, kWidth, rows}, at));
  }
  picture_.FrameDone();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(WindowPixel(5, i * rows), Pixel(strip, shades[i], 0, 0)) << "band " << i;
    EXPECT_EQ(WindowPixel(5, i * rows + rows - 1), Pixel(strip, shades[i], 0, 0)) << "band " << i;
  }
}

// Narrow parts go side by side in the strip's rows, each put at its own place
// on the window; one that is taller than those rows, or too wide for what is
// left of them, starts new rows.
TEST_F(WindowSharedImageTest, NarrowPartsShareTheStripsRows) {
  picture_.Watch(window_);
  SDL_Surface* strip = picture_.Surface(kWidth, kHeight);
  ASSERT_NE(strip, nullptr);
  struct Part {
    SDL_Rect window;
    Uint8 shade;
    bool besideThePartBefore;
  };
  const Part parts[] = {
      {{kWidth / 2, 10, 40, 30}, 50, false},
      {{0, kHeight - 30, 40, 30}, 100, true},
      {{kWidth - 40, 300, 40, 20}, 150, true},  // lower: fits too
      {{100, 200, 40, 31}, 200, false},         // taller than the rows
      {{10, 100, kWidth - 20, 10}, 250, false}  // too wide for what is left
  };
  SDL_Point before{-1, -1};  // no part yet
  for (const Part& part : parts) {
    const SDL_Point at = picture_.Stage(part.window.w, part.window.h);
    if (part.besideThePartBefore) {
      EXPECT_EQ(at.y, before.y) << int{part.shade};
      EXPECT_GT(at.x, before.x) << int{part.shade};
    } else {
      EXPECT_EQ(at.x, 0) << int{part.shade};
      EXPECT_NE(at.y, before.y) << int{part.shade};
    }
    before = at;
    const SDL_Rect drawn{at.x, at.y, part.window.w, part.window.h};
    Fill(strip, &drawn, part.shade, 0, part.shade);
    ASSERT_TRUE(picture_.PutFrom(part.window, at));
  }
  picture_.FrameDone();
  for (const Part& part : parts) {
    const SDL_Rect& w = part.window;
    const Uint32 shade = Pixel(strip, part.shade, 0, part.shade);
    EXPECT_EQ(WindowPixel(w.x, w.y), shade) << int{part.shade};
    EXPECT_EQ(WindowPixel(w.x + w.w - 1, w.y + w.h - 1), shade) << int{part.shade};
  }
}

TEST_F(WindowSharedImageTest, ANewSizeGivesANewStripAndClosingGivesNone) {
  picture_.Watch(window_);
  SDL_Surface* small = picture_.Surface(64, 48);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(picture_.Rows(), 48) << "a small window is held whole";
  EXPECT_EQ(picture_.Surface(64, 48), small) << "the same size keeps the strip";
  SDL_Surface* large = picture_.Surface(kWidth, kHeight);
  ASSERT_NE(large, nullptr);
  EXPECT_EQ(large->w, kWidth);
  EXPECT_EQ(picture_.Rows(), 1024 * 1024 / (kWidth * 4));
  EXPECT_EQ(picture_.Surface(0, kHeight), nullptr);

  picture_.Watch(nullptr);
  EXPECT_FALSE(picture_.Watching());
  EXPECT_EQ(picture_.Surface(kWidth, kHeight), nullptr);
  EXPECT_FALSE(picture_.PutFrom(SDL_Rect{0, 0, kWidth, kHeight}, SDL_Point{0, 0}));
}

}  // namespace
