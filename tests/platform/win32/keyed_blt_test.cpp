// A keyed blit copies every source pixel that is not the key and leaves the
// destination where it is, whatever the row's width and wherever it starts:
// the copy goes sixteen pixels at a time with a pixel-by-pixel rest, so rows
// shorter than, equal to and just past a block, starting at odd pixels, are
// checked against a plain pixel-by-pixel copy. A surface copied onto itself
// keeps the pixel-by-pixel order, and a range of keys or a key no pixel can
// hold behave as before.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/win32/ddraw.h"
#include "platform/win32/host.h"
#include "platform/win32/pixel_buffer.h"
#include "platform/win32/surface_pixels.h"
#include "platform/win32/video.h"

namespace {

class NoScreen final : public platform::VideoOutput {
 public:
  bool Open(int, int) override { return true; }
  void Present(const platform::PixelBuffer&) override {}
  void PresentDirty(const platform::PixelBuffer&, const platform::FrameDirtyRects&) override {}
  void Close() override {}
};

constexpr int kSide = 80;

class KeyedBltTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::InstallHost({.video = &screen_});
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd_, nullptr), DD_OK);
    from_ = Surface();
    to_ = Surface();
  }

  void TearDown() override {
    for (IDirectDrawSurface* s : {from_, to_}) {
      if (s != nullptr) s->Release();
    }
    if (dd_ != nullptr) dd_->Release();
    platform::UninstallHost();
  }

  IDirectDrawSurface* Surface() {
    DDSURFACEDESC desc{
        sizeof(DDSURFACEDESC),   DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, kSide, kSide, 0,
        {DDSCAPS_OFFSCREENPLAIN}};
    IDirectDrawSurface* surface = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&desc, &surface, nullptr), DD_OK);
    return surface;
  }

  // Pixels of which about one in three is one of `keys`, in runs and alone.
  void Fill(IDirectDrawSurface* surface, const std::vector<std::uint16_t>& keys) {
    platform::PixelBuffer& pixels = platform::SurfacePixels::Of(*surface);
    for (int i = 0; i < kSide * kSide; ++i) {
      const bool keyed = std::bernoulli_distribution(0.35)(random_);
      pixels.Data()[i] =
          keyed ? keys[random_() % keys.size()] : static_cast<std::uint16_t>(random_());
    }
  }

  static std::vector<std::uint16_t> Pixels(IDirectDrawSurface* surface) {
    const platform::PixelBuffer& pixels = platform::SurfacePixels::View(*surface);
    return {pixels.Data(), pixels.Data() + kSide * kSide};
  }

  // What the blit must give, pixel by pixel in the order of the rows.
  static void Expected(std::vector<std::uint16_t>& to, const std::vector<std::uint16_t>* from,
                       RECT source, RECT dest, DDCOLORKEY key) {
    for (int y = 0; y < source.bottom - source.top; ++y) {
      for (int x = 0; x < source.right - source.left; ++x) {
        const std::uint32_t pixel =
            (from != nullptr ? *from : to)[(source.top + y) * kSide + source.left + x];
        if (pixel < key.dwColorSpaceLowValue || pixel > key.dwColorSpaceHighValue) {
          to[(dest.top + y) * kSide + dest.left + x] = static_cast<std::uint16_t>(pixel);
        }
      }
    }
  }

  NoScreen screen_;
  std::mt19937 random_{20261209};
  IDirectDraw* dd_ = nullptr;
  IDirectDrawSurface* from_ = nullptr;
  IDirectDrawSurface* to_ = nullptr;
};

TEST_F(KeyedBltTest, EveryPixelButTheKeyIsCopiedAtEveryWidthAndStart) {
  const struct {
    int width, sourceX, destX;
    DDCOLORKEY key;
  } cases[] = {
      {1, 0, 0, {0, 0}},
      {15, 3, 1, {0, 0}},
      {16, 0, 0, {0, 0}},
      {16, 5, 7, {0x0821, 0x0821}},
      {17, 1, 2, {0, 0}},
      {33, 7, 0, {0xFFFF, 0xFFFF}},
      {40, 0, 40, {0, 0}},
      {40, 13, 27, {0, 0}},
      {80, 0, 0, {0x1234, 0x1234}},
      {48, 3, 9, {0x0100, 0x01FF}},
      {20, 0, 5, {0x10000, 0x10000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "width " << c.width << " from x " << c.sourceX << " to x "
                                    << c.destX << " key " << c.key.dwColorSpaceLowValue);
    const auto key = static_cast<std::uint16_t>(c.key.dwColorSpaceLowValue);
    Fill(from_, {key, static_cast<std::uint16_t>(c.key.dwColorSpaceHighValue)});
    Fill(to_, {key});
    DDCOLORKEY setKey = c.key;
    ASSERT_EQ(from_->SetColorKey(DDCKEY_SRCBLT, &setKey), DD_OK);
    RECT source{c.sourceX, 2, c.sourceX + c.width, 2 + 30};
    RECT dest{c.destX, 41, c.destX + c.width, 41 + 30};
    std::vector<std::uint16_t> expected = Pixels(to_);
    const std::vector<std::uint16_t> from = Pixels(from_);
    Expected(expected, &from, source, dest, c.key);
    ASSERT_EQ(to_->Blt(&dest, from_, &source, DDBLT_WAIT | DDBLT_KEYSRC, nullptr), DD_OK);
    EXPECT_EQ(Pixels(to_), expected);
  }
}

TEST_F(KeyedBltTest, ASurfaceCopiedOntoItselfKeepsThePixelByPixelOrder) {
  const DDCOLORKEY key{0, 0};
  const struct {
    int sourceX, destX, sourceY, destY;
  } cases[] = {{0, 3, 0, 0}, {3, 0, 0, 0}, {0, 17, 10, 10}, {20, 1, 10, 12}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "from x " << c.sourceX << " to x " << c.destX);
    Fill(from_, {0});
    DDCOLORKEY setKey = key;
    ASSERT_EQ(from_->SetColorKey(DDCKEY_SRCBLT, &setKey), DD_OK);
    RECT source{c.sourceX, c.sourceY, c.sourceX + 50, c.sourceY + 20};
    RECT dest{c.destX, c.destY, c.destX + 50, c.destY + 20};
    std::vector<std::uint16_t> expected = Pixels(from_);
    Expected(expected, nullptr, source, dest, key);
    ASSERT_EQ(from_->Blt(&dest, from_, &source, DDBLT_WAIT | DDBLT_KEYSRC, nullptr), DD_OK);
    EXPECT_EQ(Pixels(from_), expected);
  }
}

}  // namespace
