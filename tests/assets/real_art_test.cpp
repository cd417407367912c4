// The committed tile sheet as the game draws it: each balloon covers only its
// piece, and its colour reads as itself once converted for the 16-bit screen.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/cell.h"
#include "core/scene_switch.h"
#include "display/bitmap_loader.h"
#include "display/draw.h"
#include "display/screen.h"
#include "opening/opening_scene.h"
#include "play/play_scene.h"
#include "ranking/ranking_scene.h"
#include "resources/resources.h"
#include "resources/resources_testing.h"
#include "tests/assets/file_bytes.h"
#include "tests/support/test_display.h"

namespace {

using testsupport::FakeWindow;

// Which of the four colours an RGB565 pixel reads as, in 8-bit terms.
std::string Hue(std::uint16_t p) {
  const int r = (p >> 11) * 255 / 31, g = (p >> 5 & 0x3F) * 255 / 63, b = (p & 0x1F) * 255 / 31;
  if (r > g + 50 && b > g + 50) return "magenta";
  if (r > g + 50 && r > b + 50) return "red";
  if (g > r + 50 && g > b + 30) return "green";
  if (b > r + 50 && b > g + 30) return "blue";
  return "unclear";
}

TEST(RealArt, BalloonsKeepTheirColoursAndTheirSurroundings) {
  testsupport::TestDisplay display;
  resources::ClearTestResources();  // the program's own pictures from here on
  ASSERT_TRUE(LoadBitmapToSurface(FakeWindow(), g_spriteSurface, "FHSPRITE"));
  ASSERT_TRUE(LoadBitmapToSurface(FakeWindow(), g_backgroundSurface, "BCRI"));
  const std::pair<int, const char*> balloons[] = {
      {-5, "red"}, {-6, "green"}, {-7, "blue"}, {-8, "magenta"}};
  for (const auto& [kind, colour] : balloons) {
    DrawBackground(FakeWindow());
    const std::uint16_t corner = testsupport::PixelAt(20, 20), edge = testsupport::PixelAt(20, 58);
    DrawTile(FakeWindow(), Cell{kind, 0, 0, 0, 0, 20, 20});
    EXPECT_EQ(testsupport::PixelAt(20, 20), corner) << kind;
    EXPECT_EQ(testsupport::PixelAt(20, 58), edge) << kind;
    // Points of the body away from the highlight, lit and shaded.
    for (const auto& [x, y] : {std::pair{40, 32}, {46, 46}, {30, 44}}) {
      EXPECT_EQ(Hue(testsupport::PixelAt(x, y)), colour) << kind << " at " << x << "," << y;
    }
  }
}

// Whole screens of the real art drawn by the game's own scenes, saved under
// <build>/review/ to be looked at: each play background with every tile kind
// in the field and the preview, the title screen, the ranking with ten rows.
TEST(RealArt, ReviewScreensAreDrawn) {
  testsupport::TestDisplay display;
  resources::ClearTestResources();
  ASSERT_TRUE(LoadBitmapToSurface(FakeWindow(), g_spriteSurface, "FHSPRITE"));
  const std::string folder = std::string(MORVEX2_BINARY_DIR) + "/review/";
  std::filesystem::create_directories(folder);
  std::vector<std::int32_t> kinds = {1, 2};
  for (int k = -1; k >= -8; --k) kinds.push_back(k);
  for (int d = 1; d <= 7; ++d) {
    for (int c = 1; c <= 4; ++c) kinds.push_back(16 * d + c);
  }
  for (int level = 0; level < 3; ++level) {
    SetLevel(level);
    PlayScene play(0);
    play.Start(FakeWindow());
    play.LoadImages(FakeWindow(), g_backgroundSurface);
    play.paused = Pause::kRunning;
    play.score = 12345;
    play.removedCount = 678;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
      play.At(static_cast<int>(i % 8), 11 - static_cast<int>(i / 8)).kind = kinds[i];
    }
    play.OnIdle(FakeWindow());
    EXPECT_TRUE(display.video().SaveLastFramePng(folder + "play" + std::to_string(level) + ".png"));
  }
  SetLevel(1);
  OpeningScene opening;
  opening.Start(FakeWindow());
  opening.LoadImages(FakeWindow(), g_backgroundSurface);
  opening.OnIdle(FakeWindow());
  EXPECT_TRUE(display.video().SaveLastFramePng(folder + "title.png"));
  RankingScene ranking;
  ranking.table = std::make_unique<ScoreTable>();
  for (int i = 0; i < 10; ++i) {
    ScoreRecord& row = (*ranking.table)[i];
    row = ScoreRecord{999999999 - i, i == 3 ? RGB(255, 0, 0) : RGB(255, 255, 255), {}, {}, {}, {}};
    std::snprintf(row.name, sizeof row.name, "%s", "ABCDEFGHIJKLMNOP");
    std::snprintf(row.date, sizeof row.date, "Sat Dec 05 16:38:4%d 2026", i);
    std::snprintf(row.scoreText, sizeof row.scoreText, "%d", row.score);
    std::snprintf(row.removedText, sizeof row.removedText, "%d", 99999 - i);
  }
  ranking.LoadImages(FakeWindow(), g_backgroundSurface);
  ranking.OnIdle(FakeWindow());
  EXPECT_TRUE(display.video().SaveLastFramePng(folder + "ranking.png"));
  KillTimer(FakeWindow(), 1);
}

// The program carries its pictures compressed: each unpacks to the committed
// file byte for byte, and loads again after its bytes were let go.
TEST(RealArt, CarriedResourcesAreTheCommittedFiles) {
  const struct {
    const char* name;
    std::uintptr_t type;
    const char* file;
  } kCarried[] = {
      {"FHSPRITE", RT_BITMAP, "resources/FHSPRITE.bmp"},
      {"FHMARKS", RT_BITMAP, "resources/FHMARKS.bmp"},
      {"BOPENING", RT_BITMAP, "resources/BOPENING.bmp"},
      {"BRANK", RT_BITMAP, "resources/BRANK.bmp"},
      {"BCRI", RT_BITMAP, "resources/BCRI.bmp"},
      {"BGIYA", RT_BITMAP, "resources/BGIYA.bmp"},
      {"BFUNE", RT_BITMAP, "resources/BFUNE.bmp"},
      {"ZELF", RT_GROUP_ICON, "resources/ZELF.ico"},
  };
  for (const auto& carried : kCarried) {
    SCOPED_TRACE(carried.name);
    const FileBytes file = ReadFileBytes(carried.file);
    HRSRC found = FindResourceA(nullptr, carried.name, carried.type);
    ASSERT_NE(found, nullptr);
    ASSERT_EQ(SizeofResource(nullptr, found), file.size());
    for (int load = 0; load < 2; ++load) {
      HGLOBAL loaded = LoadResource(nullptr, found);
      ASSERT_NE(loaded, nullptr);
      const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
      EXPECT_EQ(FileBytes(bytes, bytes + file.size()), file);
      FreeResource(loaded);
    }
  }
}

}  // namespace
