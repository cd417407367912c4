// Copying the background again only where something was drawn over it, and
// comparing a frame with the one shown only where it was written, must give
// exactly what copying and comparing everything gives. A long, seeded run of
// the kinds of drawing the game does (the background, keyed and plain blits
// half off the screen, texts, writes through the raw pixels, a lost and
// restored screen, frames the screen never took, the same texts at the same
// places frame after frame) is done twice: on the back
// buffer, and on a twin surface whose background is copied whole by hand.
// Their pixels, and the changes found frame by frame with and without what
// the flip knows, must agree throughout.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "platform/sdl/frame_changes.h"
#include "platform/win32/ddraw.h"
#include "platform/win32/gdi.h"
#include "platform/win32/host.h"
#include "platform/win32/surface_pixels.h"
#include "platform/win32/video.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

bool SameRects(const std::vector<SDL_Rect>& a, const std::vector<SDL_Rect>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (SDL_RectEquals(&a[i], &b[i]) != SDL_TRUE) return false;
  }
  return true;
}

// Each frame is compared twice: told what the flip wrote, and whole.
class TwoComparisons final : public platform::VideoOutput {
 public:
  bool Open(int width, int height) override {
    told_.Reset(width, height);
    whole_.Reset(width, height);
    return true;
  }
  void Present(const platform::PixelBuffer& frame) override { PresentDirty(frame, {}); }
  void PresentDirty(const platform::PixelBuffer& frame,
                    const platform::FrameDirtyRects& writes) override {
    ++frames_;
    written_ = writes.areas != nullptr ? *writes.areas : std::vector<RECT>{};
    PresentDirtyFrame(frame);
    if (dropNext_) {  // as a screen that could not take the frame
      dropNext_ = false;
      return;
    }
    const std::vector<SDL_Rect> told = told_.Compare(frame, writes);
    if (!SameRects(told, whole_.Compare(frame))) ++disagreements_;
    if (!told.empty()) ++changedFrames_;
  }
  // Every frame flipped, as it was handed over.
  void PresentDirtyFrame(const platform::PixelBuffer& frame) {
    shown_.assign(frame.Data(), frame.Data() + std::ptrdiff_t{frame.Width()} * frame.Height());
  }
  std::vector<std::uint16_t> shown_;
  void Close() override {}

  void DropNext() { dropNext_ = true; }
  std::vector<RECT> written_;  // what the last flip said was written
  int frames_ = 0;
  int changedFrames_ = 0;
  int disagreements_ = 0;

 private:
  platform::FrameChanges told_;
  platform::FrameChanges whole_;
  bool dropNext_ = false;
};

class DirtyRectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::InstallHost({.video = &output_});
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd_, nullptr), DD_OK);
    ASSERT_EQ(dd_->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(dd_->SetDisplayMode(kWidth, kHeight, 16), DD_OK);
    DDSURFACEDESC desc{sizeof(DDSURFACEDESC),
                       DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                       0,
                       0,
                       1,
                       {DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX}};
    ASSERT_EQ(dd_->CreateSurface(&desc, &primary_, nullptr), DD_OK);
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    ASSERT_EQ(primary_->GetAttachedSurface(&caps, &back_), DD_OK);
    twin_ = Offscreen(kWidth, kHeight);
    background_ = Offscreen(kWidth, kHeight);
    sprites_ = Offscreen(64, 64);
    ASSERT_EQ(dd_->CreateClipper(0, &clipper_, nullptr), DD_OK);
    back_->SetClipper(clipper_);
    twin_->SetClipper(clipper_);
    DDCOLORKEY key{0, 0};
    sprites_->SetColorKey(DDCKEY_SRCBLT, &key);
  }

  void TearDown() override {
    for (IDirectDrawSurface* s : {twin_, background_, sprites_, primary_}) {
      if (s != nullptr) s->Release();
    }
    if (clipper_ != nullptr) clipper_->Release();
    if (dd_ != nullptr) dd_->Release();
    platform::UninstallHost();
  }

  IDirectDrawSurface* Offscreen(int width, int height) {
    DDSURFACEDESC desc{sizeof(DDSURFACEDESC),
                       DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT,
                       static_cast<DWORD>(height),
                       static_cast<DWORD>(width),
                       0,
                       {DDSCAPS_OFFSCREENPLAIN}};
    IDirectDrawSurface* surface = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&desc, &surface, nullptr), DD_OK);
    return surface;
  }

  int Coordinate(int low, int high) { return std::uniform_int_distribution(low, high)(random_); }
  bool Chance(double p) { return std::bernoulli_distribution(p)(random_); }

  // A colour, now and then the colour key.
  std::uint16_t SomeColour() {
    return static_cast<std::uint16_t>(Coordinate(0, 3) == 0 ? 0 : Coordinate(1, 0xFFFF));
  }

  static void Scribble(IDirectDrawSurface* surface, const RECT& area, std::uint16_t colour) {
    platform::SurfacePixels::Of(*surface).Fill(area, colour);
  }

  RECT SomeArea(int width, int height) {
    const int x = Coordinate(-20, width);
    const int y = Coordinate(-20, height);
    const int w = Coordinate(1, 120);
    return RECT{x, y, x + w, y + Coordinate(1, 90)};
  }

  // One step of drawing, done on the back buffer and on its twin alike.
  template <typename Step>
  void OnBoth(Step step) {
    step(back_);
    step(twin_);
  }

  // The background over the whole screen: on the back buffer as the game
  // does it, on the twin copied pixel by pixel with no help.
  void CopyBackground() {
    back_->Blt(nullptr, background_, nullptr, DDBLT_WAIT, nullptr);
    platform::SurfacePixels::Of(*twin_) = platform::SurfacePixels::View(*background_);
  }

  // A text on the screen (now and then through the primary surface, whose
  // pixels are the back buffer's) and on the twin.
  void DrawText(int x, int y, const char* text, COLORREF ink,
                IDirectDrawSurface* screen = nullptr) {
    if (screen == nullptr) screen = Chance(0.2) ? primary_ : back_;
    for (IDirectDrawSurface* s : {screen, twin_}) {
      HDC dc = nullptr;
      ASSERT_EQ(s->GetDC(&dc), DD_OK);
      SetTextColor(dc, ink);
      SetBkColor(dc, 0xFF0000);
      TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
      s->ReleaseDC(dc);
    }
  }

  // The same few texts at the same places nearly every frame, as the title
  // draws them; now and then in another colour, or not at all.
  void DrawFixedTexts() {
    const struct {
      int x, y;
      const char* text;
    } fixed[] = {{240, 460, "F1 to HI Score  \x81\xaa\x81\xab\x91I\x91\xf0  RETURN to start"},
                 {460, 220, "(C)1997"},
                 {-20, 300, "\x81\x45\x92\x86\x8b\x89"},
                 {200, 320, "\x81\x45\x8f\x89\x8b\x89"}};
    for (const auto& text : fixed) {
      if (Chance(0.1)) continue;
      DrawText(text.x, text.y, text.text, Chance(0.1) ? 0x0000FF : 0x000000);
    }
  }

  void DrawFrame() {
    if (Chance(0.05)) Scribble(background_, SomeArea(kWidth, kHeight), SomeColour());
    if (Chance(0.05)) Scribble(sprites_, SomeArea(64, 64), SomeColour());
    if (Chance(0.05)) DrawFixedTexts();
    if (Chance(0.9)) CopyBackground();
    DrawFixedTexts();
    if (Chance(0.05)) {  // the picture changes while texts may be left on the screen
      const RECT area = SomeArea(kWidth, kHeight);
      Scribble(background_, area, SomeColour());
    }
    if (Chance(0.05)) {
      ASSERT_TRUE(BackEqualsTwin()) << "in the middle of a frame";
    }
    const int blits = Chance(0.1) ? 45 : Coordinate(0, 8);
    for (int i = 0; i < blits; ++i) {
      const int x = Coordinate(-40, kWidth);
      const int y = Coordinate(-40, kHeight);
      const int w = Coordinate(1, 64);
      const int h = Coordinate(1, 64);
      RECT from{0, 0, w, h};
      RECT to{x, y, x + w, y + h};
      const DWORD flags = DDBLT_WAIT | (Chance(0.7) ? DDBLT_KEYSRC : 0);
      OnBoth([&](IDirectDrawSurface* s) { s->Blt(&to, sprites_, &from, flags, nullptr); });
    }
    const int texts = Coordinate(0, 3);
    for (int i = 0; i < texts; ++i) {
      const int x = Coordinate(-100, kWidth);
      const int y = Coordinate(-10, kHeight);
      DrawText(x, y, "F1 to HI Score  \x81\xaa\x81\xab\x91I\x91\xf0",
               static_cast<COLORREF>(Coordinate(0, 0xFFFFFF)));
    }
    if (Chance(0.03)) {
      const RECT area = SomeArea(kWidth, kHeight);
      const std::uint16_t colour = SomeColour();
      OnBoth([&](IDirectDrawSurface* s) { Scribble(s, area, colour); });
    }
    if (Chance(0.02)) {
      platform::LoseDisplay();
      for (IDirectDrawSurface* s : {primary_, twin_, background_, sprites_}) s->Restore();
    }
    if (Chance(0.05)) output_.DropNext();
    ASSERT_EQ(primary_->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  }

  // The frame as the flip handed it over, before anything looked at the back buffer.
  [[nodiscard]] bool ShownEqualsTwin() const {
    const platform::PixelBuffer& b = platform::SurfacePixels::View(*twin_);
    return std::equal(output_.shown_.begin(), output_.shown_.end(), b.Data());
  }

  [[nodiscard]] bool BackEqualsTwin() const {
    const platform::PixelBuffer& a = platform::SurfacePixels::View(*back_);
    const platform::PixelBuffer& b = platform::SurfacePixels::View(*twin_);
    return std::equal(a.Data(), a.Data() + std::ptrdiff_t{kWidth} * kHeight, b.Data());
  }

  TwoComparisons output_;
  std::mt19937 random_{20261208};
  IDirectDraw* dd_ = nullptr;
  IDirectDrawSurface* primary_ = nullptr;
  IDirectDrawSurface* back_ = nullptr;
  IDirectDrawSurface* twin_ = nullptr;
  IDirectDrawSurface* background_ = nullptr;
  IDirectDrawSurface* sprites_ = nullptr;
  IDirectDrawClipper* clipper_ = nullptr;
};

TEST_F(DirtyRectsTest, DrawingOnlyWhatChangedGivesWhatDrawingEverythingGives) {
  Scribble(background_, RECT{0, 0, kWidth, kHeight}, 0x1234);
  Scribble(background_, RECT{100, 100, 400, 300}, 0xBEEF);
  Scribble(sprites_, RECT{0, 0, 64, 64}, 0xF00D);
  Scribble(sprites_, RECT{8, 8, 38, 38}, 0);
  for (int frame = 0; frame < 1500; ++frame) {
    DrawFrame();
    ASSERT_TRUE(ShownEqualsTwin()) << "frame " << frame;
    ASSERT_TRUE(BackEqualsTwin()) << "frame " << frame;
  }
  EXPECT_EQ(output_.disagreements_, 0);
  EXPECT_GT(output_.changedFrames_, 1000) << "the run hardly changed the screen";
}

// The title's way: the background copied whole, then the same text at the
// same place. A text that comes again unchanged is neither copied over nor
// drawn, and the flip is not told of it; a change of colour, anything drawn
// over it first, or a frame without it gives what drawing everything gives.
TEST_F(DirtyRectsTest, ATextDrawnAgainUnchangedIsLeftInPlace) {
  Scribble(background_, RECT{0, 0, kWidth, kHeight}, 0x1234);
  Scribble(sprites_, RECT{0, 0, 64, 64}, 0xF00D);
  const auto frame = [&](COLORREF ink, bool blitFirst, bool text = true) {
    CopyBackground();
    if (blitFirst) {
      RECT from{0, 0, 20, 20};
      RECT to{110, 105, 130, 125};
      OnBoth([&](IDirectDrawSurface* s) { s->Blt(&to, sprites_, &from, DDBLT_WAIT, nullptr); });
    }
    if (text) DrawText(100, 100, "(C)1997", ink, back_);
    EXPECT_EQ(primary_->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_TRUE(ShownEqualsTwin());
    EXPECT_TRUE(BackEqualsTwin());
    return output_.written_.size();
  };
  frame(0x000000, false);
  EXPECT_EQ(frame(0x000000, false), 0u) << "the same text again";
  EXPECT_EQ(frame(0x0000FF, false), 1u) << "in another colour";
  EXPECT_EQ(frame(0x0000FF, false), 0u);
  EXPECT_GE(frame(0x0000FF, true), 1u) << "drawn over before it came again";
  EXPECT_GE(frame(0x0000FF, false), 1u) << "the blit's part goes back to the background";
  EXPECT_EQ(frame(0x0000FF, false), 0u);
  EXPECT_EQ(frame(0x0000FF, false, false), 1u) << "not drawn: the background where it was";
}

// Two surfaces that each copy the background whole and hold texts: the
// texts one of them left get their background before the other leaves its own.
TEST_F(DirtyRectsTest, TextsLeftOnTwoSurfacesEachGetTheirBackground) {
  Scribble(background_, RECT{0, 0, kWidth, kHeight}, 0x1234);
  IDirectDrawSurface* other = Offscreen(kWidth, kHeight);
  const auto copyAndWrite = [&](IDirectDrawSurface* surface) {
    ASSERT_EQ(surface->Blt(nullptr, background_, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    TextOutA(dc, 10, 10, "(C)1997", 7);
    surface->ReleaseDC(dc);
  };
  copyAndWrite(other);
  copyAndWrite(back_);
  // The other surface's text is left by this copy and not drawn again.
  ASSERT_EQ(other->Blt(nullptr, background_, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  copyAndWrite(back_);
  ASSERT_EQ(back_->Blt(nullptr, background_, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  const platform::PixelBuffer& shown = platform::SurfacePixels::View(*other);
  const platform::PixelBuffer& wanted = platform::SurfacePixels::View(*background_);
  EXPECT_TRUE(
      std::equal(shown.Data(), shown.Data() + std::ptrdiff_t{kWidth} * kHeight, wanted.Data()));
  other->Release();
}

}  // namespace
