// LoadBitmapToSurface: the copy, and each failure with its messages in order.
#include <gtest/gtest.h>

#include "display/bitmap_loader.h"
#include "display/messages.h"
#include "display/screen.h"
#include "platform/call_log.h"
#include "platform/ddraw.h"
#include "resources/resources.h"
#include "tests/support/test_display.h"
#include "tests/support/test_pictures.h"

namespace {

using testsupport::FakeWindow;
using testsupport::TestDisplay;

std::vector<std::string> MessagesShown(const platform::CallLog& log) {
  std::vector<std::string> texts;
  for (const auto& call : log.Calls()) texts.push_back(call.text);
  return texts;
}

std::uint16_t BackgroundPixel(int x, int y) {
  const SDL_Surface* p = g_backgroundSurface->Pixels();
  return reinterpret_cast<const std::uint16_t*>(static_cast<const std::uint8_t*>(p->pixels) +
                                                y * p->pitch)[x];
}

// An 8 x 4 picture: colour 1 (pure red) in its top-left pixel, colour 2 (pure
// blue) elsewhere.
std::vector<std::uint8_t> Corner(bool bottomUp) {
  testsupport::Palette colours{};
  colours[1] = RGBQUAD{0, 0, 255, 0};
  colours[2] = RGBQUAD{255, 0, 0, 0};
  return testsupport::MakeBitmap(
      8, 4, colours, [](int x, int y) -> std::uint8_t { return x + y == 0 ? 1 : 2; }, bottomUp);
}

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(display_.initialised());
    platform::SetActiveCallLog(&log_);
  }
  void TearDown() override { platform::SetActiveCallLog(nullptr); }
  TestDisplay display_;
  platform::CallLog log_;
};

TEST_F(LoaderTest, CopiesThePictureToTheTopLeftCornerThroughItsColours) {
  for (bool bottomUp : {true, false}) {
    SDL_FillRect(g_backgroundSurface->Pixels(), nullptr, 0x0FF0);
    resources::SetTestResource("BRANK", RT_BITMAP, Corner(bottomUp));
    ASSERT_TRUE(LoadBitmapToSurface(FakeWindow(), g_backgroundSurface, "BRANK"));
    EXPECT_EQ(BackgroundPixel(0, 0), 0xF800);
    EXPECT_EQ(BackgroundPixel(7, 3), 0x001F);
    EXPECT_EQ(BackgroundPixel(8, 0), 0x0FF0);  // the rest untouched
    EXPECT_EQ(BackgroundPixel(0, 4), 0x0FF0);
  }
  EXPECT_TRUE(log_.Calls().empty());
}

TEST(LoadBitmapToSurface, EachFailureShowsItsMessagesInOrder) {
  platform::CallLog log;
  platform::SetActiveCallLog(&log);
  auto corrupt = testsupport::TestBackground(0);
  corrupt.resize(corrupt.size() - 1);  // the last row cut short
  struct Case {
    const char* what;
    std::optional<std::vector<std::uint8_t>> bytes;
    bool loseTheSurface;
    std::vector<std::string> messages;
    bool displayReleased;
  } const cases[] = {
      {"absent", std::nullopt, false, {display_text::kSetupFailed}, true},
      {"nothing to lock",
       std::vector<std::uint8_t>{},
       false,
       {display_text::kCannotLoadResource, display_text::kSetupFailed},
       true},
      {"header cut short",
       std::vector<std::uint8_t>{'B', 'M', 0, 0},
       false,
       {display_text::kCannotLoadResource, display_text::kSetupFailed},
       true},
      {"corrupt", corrupt, false, {display_text::kPictureLoadFailed}, false},
      {"no device context",
       testsupport::TestBackground(1),
       true,
       {display_text::kNoDeviceContext},
       false},
  };
  for (const auto& c : cases) {
    TestDisplay display;
    log.Clear();
    resources::SetTestResource("BCRI", RT_BITMAP, c.bytes);
    if (c.loseTheSurface) platform::LoseDisplay();
    EXPECT_FALSE(LoadBitmapToSurface(FakeWindow(), g_backgroundSurface, "BCRI")) << c.what;
    EXPECT_EQ(MessagesShown(log), c.messages) << c.what;
    EXPECT_EQ(g_directDraw == nullptr, c.displayReleased) << c.what;
  }
  platform::SetActiveCallLog(nullptr);
}

}  // namespace
