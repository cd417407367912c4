// Setting the screen up, the fatal-error path, release, and the recovery of a
// lost screen.
#include "display/screen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/globals.h"
#include "app/scene.h"
#include "app/scene_switch.h"
#include "display/bitmap_loader.h"
#include "display/draw.h"
#include "display/messages.h"
#include "platform/call_log.h"
#include "platform/ddraw.h"
#include "play/cell.h"
#include "resources/resources.h"
#include "tests/support/test_display.h"
#include "tests/support/test_pictures.h"

namespace {

using testsupport::FakeWindow;
using testsupport::TestDisplay;

std::vector<std::string> MessagesShown(const platform::CallLog& log) {
  std::vector<std::string> texts;
  for (const auto& call : log.Calls()) {
    if (call.name == "MessageBox") texts.push_back(call.text);
  }
  return texts;
}

const std::string kSetupFailed = display_text::kSetupFailed;

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetActiveCallLog(&log_); }
  void TearDown() override { platform::SetActiveCallLog(nullptr); }
  platform::CallLog log_;
};

TEST_F(ScreenTest, SetUpMakesEverySurfaceAndLoadsTheSheetUnderItsKey) {
  TestDisplay display;
  ASSERT_TRUE(display.initialised());
  EXPECT_TRUE(MessagesShown(log_).empty());
  for (IDirectDrawSurface* s :
       {g_primarySurface, g_backBuffer, g_backgroundSurface, g_spriteSurface}) {
    ASSERT_NE(s, nullptr);
  }
  EXPECT_EQ(g_spriteSurface->Pixels()->w, 160);
  EXPECT_EQ(g_spriteSurface->Pixels()->h, 400);
  // The sheet's background became the key; a tile's colour arrived as it is.
  const SDL_Surface* sheet = g_spriteSurface->Pixels();
  const auto* row = static_cast<const std::uint16_t*>(sheet->pixels);
  EXPECT_EQ(row[0], 0);
  const auto* tileRow = reinterpret_cast<const std::uint16_t*>(
      static_cast<const std::uint8_t*>(sheet->pixels) + 10 * sheet->pitch);
  EXPECT_NE(tileRow[10], 0);
}

TEST_F(ScreenTest, EachSetUpFailureEndsInTheFatalPath) {
  struct Case {
    const char* what;
    void (*prepare)(TestDisplay*);
    std::vector<std::string> messages;
  } const cases[] = {
      {"no screen", [](TestDisplay*) { platform::SetVideoOutput(nullptr); }, {kSetupFailed}},
      {"mode refused", [](TestDisplay* d) { d->video().SetOpenFails(true); }, {kSetupFailed}},
      // The loader runs the fatal path itself, then the set-up once more.
      {"sheet missing",
       [](TestDisplay*) { resources::SetTestResource("FHSPRITE", RT_BITMAP, std::nullopt); },
       {kSetupFailed, kSetupFailed}},
      {"sheet corrupt",
       [](TestDisplay*) {
         auto sheet = testsupport::TestSheet();
         sheet[28] = 24;  // 24 bits per pixel
         resources::SetTestResource("FHSPRITE", RT_BITMAP, sheet);
       },
       {display_text::kPictureLoadFailed, kSetupFailed}},
  };
  for (const auto& c : cases) {
    log_.Clear();
    TestDisplay display;  // set up once, so that the case can be prepared
    ReleaseDisplay();
    c.prepare(&display);
    log_.Clear();
    EXPECT_FALSE(InitDisplay(FakeWindow())) << c.what;
    EXPECT_EQ(MessagesShown(log_), c.messages) << c.what;
    EXPECT_EQ(g_directDraw, nullptr) << c.what;
    EXPECT_EQ(g_backBuffer, nullptr) << c.what;
  }
}

TEST_F(ScreenTest, ReleasingTwiceReleasesOnce) {
  TestDisplay display;
  ReleaseDisplay();
  ReleaseDisplay();
  EXPECT_EQ(g_directDraw, nullptr);
  EXPECT_EQ(g_primarySurface, nullptr);
  EXPECT_EQ(g_backBuffer, nullptr);
  EXPECT_EQ(g_clipper, nullptr);
  EXPECT_EQ(g_backgroundSurface, nullptr);
  EXPECT_EQ(g_spriteSurface, nullptr);
}

// A scene that loads a background by name, as every scene does.
class BackgroundScene final : public Scene {
 public:
  explicit BackgroundScene(const char* name) : name_(name) {}
  void LoadImages(HWND hwnd, IDirectDrawSurface* surface) override {
    platform::RecordCall("LoadImages");
    if (!LoadBitmapToSurface(hwnd, surface, name_)) FatalDisplayError(hwnd);
  }
  const char* name_;
};

class LostScreenTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    previous_ = g_currentScene;
    g_currentScene = &scene_;
    scene_.LoadImages(FakeWindow(), g_backgroundSurface);
    Cell balloon{-5, 0, 0, 0, 0, 0, 0};
    DrawBackground(FakeWindow());
    DrawTile(FakeWindow(), balloon);
    before_ = platform::RgbFromRgb565(TestDisplay::BackBuffer(), SDL_Rect{0, 0, 640, 480});
    log_.Clear();
  }
  void TearDown() override {
    g_currentScene = previous_;
    ScreenTest::TearDown();
  }
  TestDisplay display_;
  BackgroundScene scene_{"BGIYA"};
  Scene* previous_ = nullptr;
  platform::RgbImage before_;
};

TEST_F(LostScreenTest, TheFirstDrawingCallRestoresAndReloadsBothPicturesThenDrawsAgain) {
  platform::LoseDisplay();
  DrawBackground(FakeWindow());
  // The scene's background was reloaded once, and the blit made after it.
  ASSERT_EQ(log_.Calls().size(), 1u);
  EXPECT_EQ(log_.Calls()[0].name, "LoadImages");
  Cell balloon{-5, 0, 0, 0, 0, 0, 0};
  DrawTile(FakeWindow(), balloon);
  EXPECT_EQ(platform::RgbFromRgb565(TestDisplay::BackBuffer(), SDL_Rect{0, 0, 640, 480}), before_);
  EXPECT_EQ(log_.Calls().size(), 1u);
}

// The fatal path inside the restore releases the display; the drawing calls
// of that frame must then leave the released objects alone.
TEST_F(LostScreenTest, ABackgroundThatCannotBeReloadedEndsTheGameWithoutTouchingFreedSurfaces) {
  resources::SetTestResource("BGIYA", RT_BITMAP, std::nullopt);
  platform::LoseDisplay();
  DrawBackground(FakeWindow());
  EXPECT_EQ(g_directDraw, nullptr);
  EXPECT_EQ(MessagesShown(log_), (std::vector<std::string>{kSetupFailed, kSetupFailed}));
  Cell balloon{-5, 0, 0, 0, 0, 0, 0};
  DrawTile(FakeWindow(), balloon);
  DrawString(0, 0, "0", 0, 0xFFFFFF);
  FlipScreen(FakeWindow());
  EXPECT_EQ(RestoreSurfaces(FakeWindow()), DDERR_INVALIDOBJECT);
}

}  // namespace
