// Setting the screen up, loading its pictures, the fatal-error path, release,
// and the recovery of a lost screen.
#include "display/screen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/cell.h"
#include "core/globals.h"
#include "core/language.h"
#include "core/scene.h"
#include "core/scene_switch.h"
#include "display/bitmap_loader.h"
#include "display/draw.h"
#include "display/messages.h"
#include "platform/win32/ddraw.h"
#include "platform/win32/host.h"
#include "resources/resources.h"
#include "resources/resources_testing.h"
#include "tests/support/host_part.h"
#include "tests/support/test_display.h"
#include "tests/support/test_pictures.h"

namespace {

using testsupport::FakeWindow;
using testsupport::TestDisplay;
using Texts = std::vector<std::string>;

const std::string kSetupFailed = display_text::kSetupFailed;

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::InstallHost({.calls = &log_}); }
  void TearDown() override { platform::UninstallHost(); }
  Texts MessagesShown() const {
    Texts texts;
    for (const auto& call : log_.Calls()) {
      if (call.name == "MessageBox") texts.push_back(call.text);
    }
    return texts;
  }
  platform::CallLog log_;
};

TEST_F(ScreenTest, EachSetUpFailureEndsInTheFatalPath) {
  const struct {
    const char* what;
    void (*prepare)(TestDisplay*);
    Texts messages;
  } cases[] = {
      {"set up", [](TestDisplay*) {}, {}},
      {"no screen",
       [](TestDisplay*) { testsupport::PutInHost(&platform::Host::video, nullptr); },
       {kSetupFailed}},
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
    TestDisplay display;  // set up once, so that the case can be prepared
    ReleaseDisplay();
    ReleaseDisplay();  // releasing twice releases once
    c.prepare(&display);
    log_.Clear();
    EXPECT_EQ(InitDisplay(FakeWindow()), c.messages.empty()) << c.what;
    EXPECT_EQ(MessagesShown(), c.messages) << c.what;
    EXPECT_EQ(g_backBuffer == nullptr, !c.messages.empty()) << c.what;
    EXPECT_EQ(g_spriteSurface == nullptr, !c.messages.empty()) << c.what;
  }
}

TEST_F(ScreenTest, EachLoaderFailureShowsItsMessagesInOrder) {
  auto corrupt = testsupport::TestBackground(0);
  corrupt.pop_back();  // the last row cut short
  const std::vector<std::uint8_t> cutHeader{'B', 'M', 0, 0};
  const Texts cannotLoad = {display_text::kCannotLoadResource, display_text::kSetupFailed};
  const struct {
    const char* what;
    std::optional<std::vector<std::uint8_t>> bytes;
    bool loseTheSurface;
    Texts messages;
    bool displayReleased;
  } cases[] = {
      {"absent", std::nullopt, false, {display_text::kSetupFailed}, true},
      {"nothing to lock", std::vector<std::uint8_t>{}, false, cannotLoad, true},
      {"header cut short", cutHeader, false, cannotLoad, true},
      {"corrupt", corrupt, false, {display_text::kPictureLoadFailed}, false},
      {"no device context",
       testsupport::TestBackground(1),
       true,
       {display_text::kNoDeviceContext},
       false},
  };
  for (const auto& c : cases) {
    TestDisplay display;
    log_.Clear();
    resources::SetTestResource("BCRI", RT_BITMAP, c.bytes);
    if (c.loseTheSurface) platform::LoseDisplay();
    EXPECT_FALSE(LoadBitmapToSurface(FakeWindow(), g_backgroundSurface, "BCRI")) << c.what;
    EXPECT_EQ(MessagesShown(), c.messages) << c.what;
    EXPECT_EQ(g_directDraw == nullptr, c.displayReleased) << c.what;
  }
}

// Under the tests' offscreen driver no box may wait for a click: the text goes
// to standard error, in UTF-8.
TEST(MessageBoxA, WithoutARealScreenTheTextGoesToStandardError) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, display_text::kSetupFailed, display_text::kCaption, MB_OK), 1);
  EXPECT_EQ(MessageBoxA(nullptr, "\x82", "Morvex2", MB_OK), 1);  // a broken text still shows
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Morvex2: DirectDraw\xe3\x81\xae\xe3\x82\xbb"), std::string::npos) << err;
}

// In English the box keeps the game's text, byte for byte, and an English line
// follows it; in Japanese nothing follows.
TEST_F(ScreenTest, InEnglishTheFatalPathSaysAnEnglishLineAfterTheSameBox) {
  for (const auto language : {platform::Language::kJapanese, platform::Language::kEnglish}) {
    TestDisplay display;
    log_.Clear();
    SetLanguage(language);
    ::testing::internal::CaptureStderr();
    FatalDisplayError(FakeWindow());
    const std::string err = ::testing::internal::GetCapturedStderr();
    SetLanguage(platform::Language::kJapanese);
    EXPECT_EQ(MessagesShown(), Texts{kSetupFailed});
    const std::string japanese = "Morvex2: DirectDraw\xe3\x81\xae\xe3\x82\xbb\xe3\x83\x83";
    ASSERT_EQ(err.rfind(japanese, 0), 0u) << err;
    const std::string english = std::string("Morvex2: ") + display_text::kSetupFailedEnglish + "\n";
    if (language == platform::Language::kEnglish) {
      EXPECT_EQ(err.substr(err.find('\n') + 1), english);
    } else {
      EXPECT_EQ(err.find('\n') + 1, err.size()) << err;
    }
  }
}

// A scene that loads a background by name, as every scene does.
class BackgroundScene final : public Scene {
 public:
  void LoadImages(HWND hwnd, IDirectDrawSurface* surface) override {
    platform::RecordCall("LoadImages");
    if (!LoadBitmapToSurface(hwnd, surface, "BGIYA")) FatalDisplayError(hwnd);
  }
};

// The first drawing call after the screen is lost restores it, reloads both
// pictures and draws again. When the background cannot be reloaded, the fatal
// path releases the display, and the rest of the frame leaves it alone.
TEST_F(ScreenTest, ALostScreenIsRestoredAndBothPicturesReloaded) {
  TestDisplay display;
  BackgroundScene scene;
  Scene* const previous = std::exchange(g_currentScene, &scene);
  auto drawFrame = [] {
    DrawBackground(FakeWindow());
    DrawTile(FakeWindow(), Cell{-5, 0, 0, 0, 0, 0, 0});
  };
  scene.LoadImages(FakeWindow(), g_backgroundSurface);
  drawFrame();
  const formats::RgbImage before = TestDisplay::Frame();
  log_.Clear();
  platform::LoseDisplay();
  drawFrame();
  EXPECT_EQ(TestDisplay::Frame(), before);
  EXPECT_EQ(log_.Calls(), (std::vector<platform::RecordedCall>{{"LoadImages", {}, ""}}));

  resources::SetTestResource("BGIYA", RT_BITMAP, std::nullopt);
  platform::LoseDisplay();
  log_.Clear();
  drawFrame();
  EXPECT_EQ(g_directDraw, nullptr);
  EXPECT_EQ(MessagesShown(), (Texts{kSetupFailed, kSetupFailed}));
  DrawString(0, 0, "0", 0, 0xFFFFFF);
  FlipScreen(FakeWindow());
  EXPECT_EQ(RestoreSurfaces(FakeWindow()), DDERR_INVALIDOBJECT);
  g_currentScene = previous;
}

}  // namespace
