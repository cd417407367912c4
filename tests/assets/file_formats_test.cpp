// The committed art, tunes, clap and data files are in the forms the game
// reads: the pictures as the program carries them through its own bitmap
// reader, the icon through its icon reader, the tunes through the check that
// lets a tune reach the synthesiser.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>

#include "display/dib.h"
#include "display/window_icon.h"
#include "formats/midi_file_check.h"
#include "resources/resources.h"
#include "tests/assets/file_bytes.h"

namespace {

std::span<const std::uint8_t> Carried(const char* name) {
  HRSRC found = FindResourceA(nullptr, name, RT_BITMAP);
  if (found == nullptr) return {};
  const void* bytes = LockResource(LoadResource(nullptr, found));
  return {static_cast<const std::uint8_t*>(bytes), SizeofResource(nullptr, found)};
}

TEST(Pictures, AreTheCommittedFilesAndParseAtTheirSizeBottomUp) {
  const std::tuple<const char*, int, int> pictures[] = {
      {"FHSPRITE", 160, 400}, {"FHMARKS", 160, 400}, {"BOPENING", 640, 480}, {"BRANK", 640, 480},
      {"BCRI", 640, 480},     {"BGIYA", 640, 480},   {"BFUNE", 640, 480}};
  for (const auto& [name, width, height] : pictures) {
    const std::span<const std::uint8_t> carried = Carried(name);
    const FileBytes committed = ReadFileBytes(std::string("resources/") + name + ".bmp");
    EXPECT_TRUE(std::equal(carried.begin(), carried.end(), committed.begin(), committed.end()))
        << name << " in the program differs from the committed file: rebuild";
    const auto picture = ParseDib(carried);
    ASSERT_TRUE(picture.has_value()) << name;
    EXPECT_EQ(picture->width, width) << name;
    EXPECT_EQ(picture->height, height) << name;
    EXPECT_LT(picture->rowStep, 0) << name;
  }
}

// Entry 0 of each sheet (the colour aid's too) is its background, keyed out
// when drawn. Every tile but the two empty slots is drawn, and none with a
// near-black pixel, which would turn into the key on the 16-bit screen and vanish.
TEST(Pictures, TheTileSheetsKeepEntryZeroForTheirBackground) {
  for (const char* name : {"FHSPRITE", "FHMARKS"}) {
    SCOPED_TRACE(name);
    const auto sheet = ParseDib(Carried(name));
    ASSERT_TRUE(sheet.has_value());
    const RGBQUAD* colours = sheet->colours;
    EXPECT_EQ((std::array{colours[0].rgbRed, colours[0].rgbGreen, colours[0].rgbBlue}),
              (std::array<std::uint8_t, 3>{2, 4, 4}));
    int drawn[10][4] = {};
    for (int y = 0; y < 400; ++y) {
      for (int x = 0; x < 160; ++x) {
        const RGBQUAD c = colours[sheet->topRow[y * sheet->rowStep + x]];
        if (sheet->topRow[y * sheet->rowStep + x] == 0) continue;
        ++drawn[y / 40][x / 40];
        ASSERT_GE(std::max({c.rgbRed, c.rgbGreen, c.rgbBlue}), 24) << x << "," << y;
      }
    }
    for (int row = 0; row < 10; ++row) {
      for (int column = 0; column < 4; ++column) {
        const bool empty = row == 0 && column >= 2;
        EXPECT_EQ(drawn[row][column] > 150, !empty) << "tile " << column << "," << row;
        EXPECT_EQ(drawn[row][column] == 0, empty) << "tile " << column << "," << row;
      }
    }
  }
}

// The icon as the desktop gets it: see-through around the balloon, the
// balloon itself solid and red.
TEST(Icon, DecodesWithItsMask) {
  IconImage icon;
  ASSERT_TRUE(LoadWindowIcon(&icon));
  ASSERT_EQ(icon.width * 100 + icon.height, 3232);
  for (int corner : {0, 31 * 32, 32 * 32 - 1}) EXPECT_EQ(icon.argb[corner] >> 24, 0u) << corner;
  const std::uint32_t body = icon.argb[20 * 32 + 12];
  EXPECT_EQ(body >> 24, 0xFFu);
  EXPECT_GT((body >> 16) & 0xFF, 2 * ((body >> 8) & 0xFF)) << std::hex << body;
}

TEST(Tunes, AreStandardMidiFilesThatTheGameLetsPlay) {
  for (const char* name : {"data/music1.mid", "data/music2.mid"}) {
    const FileBytes tune = ReadFileBytes(name);
    EXPECT_TRUE(formats::IsPlayableMidi(tune)) << name;
    EXPECT_EQ(tune.at(9), 1) << name << ": format 1, tracks played together";
  }
}

TEST(Clap, IsAShortUnclippedSixteenBitPcmWave) {
  const FileBytes wav = ReadFileBytes("data/Clap.wav");
  ASSERT_GE(wav.size(), 44u);
  const std::uint32_t channels = Le16(wav, 22), rate = Le32(wav, 24);
  EXPECT_EQ(
      std::string(wav.begin(), wav.begin() + 4) + std::string(wav.begin() + 8, wav.begin() + 16),
      "RIFFWAVEfmt ");
  EXPECT_EQ(Le32(wav, 4), wav.size() - 8);
  EXPECT_EQ(Le32(wav, 16), 16u);
  EXPECT_EQ(Le16(wav, 20), 1u) << "PCM";
  EXPECT_TRUE(rate == 22050 || rate == 44100);
  EXPECT_EQ(Le32(wav, 28), rate * channels * 2);
  EXPECT_EQ(Le32(wav, 32), channels * 2 | 16 << 16) << "block size, 16 bits";
  EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
  ASSERT_EQ(wav.size(), 44u + Le32(wav, 40));
  EXPECT_LT(wav.size() - 44.0, 0.3 * rate * channels * 2) << "under 0.3 s";
  int peak = 0;
  for (std::size_t i = 44; i + 1 < wav.size(); i += 2) {
    peak = std::max(peak, std::abs(static_cast<int>(static_cast<std::int16_t>(Le16(wav, i)))));
  }
  EXPECT_GT(peak, 8000) << "audible";
  EXPECT_LT(peak, 30000) << "headroom below clipping";
}

TEST(DataFiles, AreTenEmptyRecordsAndADefaultName) {
  for (const char* name : {"data/zyou.pod", "data/tyuu.pod", "data/syo.pod"}) {
    EXPECT_EQ(ReadFileBytes(name), FileBytes(590, 0xE0)) << name;
  }
  FileBytes name(16, 0);
  std::copy_n("PLAYER", 6, name.begin());
  EXPECT_EQ(ReadFileBytes("data/zel.ini"), name);
}

}  // namespace
