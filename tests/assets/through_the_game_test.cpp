// The committed art as the game itself sees it: carried inside the program,
// read by its bitmap loader, drawn by its drawing operations onto the 16-bit
// screen. Set MORVEX2_ASSET_SCREENS to a folder to also get the five composed
// screens as PNG files for looking at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <span>
#include <string>

#include "display/bitmap_loader.h"
#include "display/dib.h"
#include "display/draw.h"
#include "display/screen.h"
#include "display/window_icon.h"
#include "play/cell.h"
#include "resources/resources.h"
#include "tests/assets/file_bytes.h"
#include "tests/support/test_display.h"

namespace {

std::span<const std::uint8_t> Resource(const char* name) {
  HRSRC found = FindResourceA(nullptr, name, RT_BITMAP);
  if (found == nullptr) return {};
  const void* bytes = LockResource(LoadResource(nullptr, found));
  return {static_cast<const std::uint8_t*>(bytes), SizeofResource(nullptr, found)};
}

struct PictureSize {
  const char* name;
  int width, height;
};

class CarriedPictures : public ::testing::TestWithParam<PictureSize> {};

TEST_P(CarriedPictures, AreTheCommittedFilesAndParseAtTheirSize) {
  const auto [name, width, height] = GetParam();
  const std::span<const std::uint8_t> carried = Resource(name);
  const FileBytes committed = ReadSourceFile(std::string("resources/") + name + ".bmp");
  ASSERT_FALSE(carried.empty()) << name << " is not carried by the program";
  EXPECT_TRUE(std::equal(carried.begin(), carried.end(), committed.begin(), committed.end()))
      << name << " in the program differs from the committed file: rebuild";
  const auto picture = ParseDib(carried);
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->width, width);
  EXPECT_EQ(picture->height, height);
  EXPECT_LT(picture->rowStep, 0) << "bottom-up rows";
}

INSTANTIATE_TEST_SUITE_P(
    AllSix, CarriedPictures,
    ::testing::Values(PictureSize{"FHSPRITE", 160, 400}, PictureSize{"BOPENING", 640, 480},
                      PictureSize{"BRANK", 640, 480}, PictureSize{"BCRI", 640, 480},
                      PictureSize{"BGIYA", 640, 480}, PictureSize{"BFUNE", 640, 480}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CarriedTileSheet, HasItsBackgroundInEntryZero) {
  const auto sheet = ParseDib(Resource("FHSPRITE"));
  ASSERT_TRUE(sheet.has_value());
  EXPECT_EQ(sheet->colours[0].rgbRed, 2);
  EXPECT_EQ(sheet->colours[0].rgbGreen, 4);
  EXPECT_EQ(sheet->colours[0].rgbBlue, 4);
}

// The icon as the desktop gets it: see-through around the balloon, the
// balloon itself solid and red.
TEST(CarriedIcon, DecodesWithItsMask) {
  IconImage icon;
  ASSERT_TRUE(LoadWindowIcon(&icon));
  ASSERT_EQ(icon.width, 32);
  ASSERT_EQ(icon.height, 32);
  auto at = [&icon](int x, int y) { return icon.argb.at(static_cast<size_t>(y) * 32 + x); };
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{0, 31}, std::pair{31, 31}}) {
    EXPECT_EQ(at(x, y) >> 24, 0u) << x << "," << y;
  }
  const std::uint32_t body = at(12, 20);
  EXPECT_EQ(body >> 24, 0xFFu);
  EXPECT_GT((body >> 16) & 0xFF, 2 * ((body >> 8) & 0xFF)) << std::hex << body;
}

// The display with the real art in place of the test pictures.
class RealArt : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(display_.initialised());
    resources::ClearTestResources();
    ASSERT_TRUE(LoadBitmapToSurface(hwnd_, g_spriteSurface, "FHSPRITE"));
  }
  void Background(const char* name) {
    ASSERT_TRUE(LoadBitmapToSurface(hwnd_, g_backgroundSurface, name));
    DrawBackground(hwnd_);
  }
  static void Tile(int kind, int x, int y) {
    DrawTile(testsupport::FakeWindow(), Cell{kind, 0, 0, 0, 0, x, y});
  }
  struct Rgb {
    int r, g, b;  // 0..31, 0..63, 0..31
  };
  static Rgb At(int x, int y) {
    const std::uint16_t p = testsupport::PixelAt(x, y);
    return {p >> 11, (p >> 5) & 0x3F, p & 0x1F};
  }
  void Save(const std::string& name) {
    FlipScreen(hwnd_);
    const char* folder = std::getenv("MORVEX2_ASSET_SCREENS");
    if (folder != nullptr) {
      EXPECT_TRUE(display_.video().SaveLastFramePng(std::string(folder) + "/" + name + ".png"));
    }
  }

  HWND hwnd_ = testsupport::FakeWindow();
  testsupport::TestDisplay display_;
};

// A tile covers only its piece: around it the background stays, and each of
// the four colours reads as itself once converted for the screen.
TEST_F(RealArt, BalloonsKeepTheirColoursAndTheirSurroundings) {
  Background("BCRI");
  const Rgb corner = At(20, 20);
  const Rgb edge = At(20, 58);
  // Which of the four colours a pixel reads as, in 8-bit terms.
  auto hue = [](Rgb p) {
    const int r = p.r * 255 / 31, g = p.g * 255 / 63, b = p.b * 255 / 31;
    if (r > g + 50 && b > g + 50) return "magenta";
    if (r > g + 50 && r > b + 50) return "red";
    if (g > r + 50 && g > b + 30) return "green";
    if (b > r + 50 && b > g + 30) return "blue";
    return "unclear";
  };
  const std::pair<int, const char*> balloons[] = {
      {-5, "red"}, {-6, "green"}, {-7, "blue"}, {-8, "magenta"}};
  for (const auto& [kind, colour] : balloons) {
    Tile(kind, 20, 20);
    const Rgb after = At(20, 20);
    EXPECT_EQ(after.r, corner.r);
    EXPECT_EQ(after.g, corner.g);
    EXPECT_EQ(after.b, corner.b);
    EXPECT_EQ(At(20, 58).g, edge.g);
    // Points of the body away from the highlight, lit and shaded.
    for (const auto& [x, y] : {std::pair{40, 32}, std::pair{46, 46}, std::pair{30, 44}}) {
      EXPECT_STREQ(hue(At(x, y)), colour) << "kind " << kind << " at " << x << "," << y;
    }
    DrawBackground(hwnd_);
  }
}

// Every kind of tile in the field and the preview, the texts in their
// white boxes: what a player sees in the middle of a game.
void DrawMidGame() {
  const int field[11][8] = {{0, 0, 0, -2, 0, 0, 0, 0},       {0, 0, 0, -2, 0, 0, 0, 0},
                            {0, 0, 0, -2, 0, 0, 0, 0},       {0, 0, 0, 0, 0, 0, 0, 0},
                            {17, 34, 51, 68, 0, 0, 0, 0},    {84, 97, 114, 20, 0, 0, 0, 0},
                            {0, 0, 0, 0, 2, 0, 0, 0},        {0, -1, 0, 0, -7, -3, 0, 0},
                            {0, -5, -8, 0, -7, -6, 1, 0},    {-4, -6, -8, -3, -1, -5, -2, 0},
                            {-5, -7, -6, -8, -5, -6, -7, -8}};
  for (int r = 0; r < 11; ++r) {
    for (int c = 0; c < 8; ++c) {
      DrawTile(testsupport::FakeWindow(), Cell{field[r][c], 0, 0, 0, 0, 20 + 40 * c, 20 + 40 * r});
    }
  }
  const COLORREF black = 0, white = 0xFFFFFF;
  DrawString(370, 20, "next", black, white);
  DrawString(370, 100, "\x93\xbe\x93\x5f", black, white);  // 得点
  DrawString(410, 130, "12340", black, white);
  DrawString(370, 200, "\x8f\xc1\x82\xb5\x82\xbd\x90\x94", black, white);  // 消した数
  DrawString(426, 230, "128", black, white);
  const int preview[3] = {-3, -8, 1};
  for (int i = 0; i < 3; ++i) {
    DrawTile(testsupport::FakeWindow(), Cell{preview[i], 0, 0, 0, 0, 370 + 40 * i, 40});
  }
}

TEST_F(RealArt, PlayScreensShowEveryTile) {
  for (const char* name : {"BCRI", "BGIYA", "BFUNE"}) {
    Background(name);
    DrawMidGame();
    Save(std::string("play-") + name);
  }
}

TEST_F(RealArt, TitleScreenShowsTheMenu) {
  Background("BOPENING");
  const COLORREF black = 0, red = 0x0000FF, blue = 0xFF0000;
  // F1 to HI Score  ↑↓選択  RETURN to start  ESC to end
  DrawString(240, 460,
             "F1 to HI Score  \x81\xaa\x81\xab\x91\x49\x91\xf0  RETURN to start  ESC to end", black,
             blue);
  DrawString(460, 220, "(C)1997 Morvex2 Team", black, blue);
  // ・初級(おばあちゃんのためのモード)
  DrawString(200, 280,
             "\x81\x45\x8f\x89\x8b\x89(\x82\xa8\x82\xce\x82\xa0\x82\xbf\x82\xe1\x82\xf1\x82\xcc"
             "\x82\xbd\x82\xdf\x82\xcc\x83\x82\x81\x5b\x83\x68)",
             black, blue);
  // ・中級(こんなもんでしょう)
  DrawString(200, 320,
             "\x81\x45\x92\x86\x8b\x89(\x82\xb1\x82\xf1\x82\xc8\x82\xe0\x82\xf1\x82\xc5\x82\xb5"
             "\x82\xe5\x82\xa4)",
             red, blue);
  // ・上級(速すぎます)
  DrawString(200, 360, "\x81\x45\x8f\xe3\x8b\x89(\x91\xac\x82\xb7\x82\xac\x82\xdc\x82\xb7)", black,
             blue);
  const int balloons[6][3] = {{-5, 150, 180}, {-6, 20, 280},  {-8, 200, 400},
                              {-7, 400, 300}, {-8, 370, 100}, {-5, 560, 350}};
  for (const auto& b : balloons) Tile(b[0], b[1], b[2]);
  Save("title");
}

TEST_F(RealArt, RankingScreenShowsTenRows) {
  Background("BRANK");
  for (int i = 0; i < 10; ++i) {
    const COLORREF ink = i == 3 ? 0x0000FF : 0xFFFFFF;
    const int y = 90 + 40 * i;
    DrawString(64, y, i == 0 ? "ABCDEFGHIJKLMNOP" : "PLAYER", ink, 0);
    DrawString(198, y, "Sat Dec 05 16:38:43 2026", ink, 0);
    DrawString(480, y, i == 0 ? "999999999" : "12340", ink, 0);
    DrawString(577, y, i == 0 ? "99999" : "128", ink, 0);
  }
  Save("ranking");
}

}  // namespace
