// The tunes are valid Standard MIDI Files that loop cleanly; the clap is a
// short 16-bit PCM WAVE file; the data files are what a first run installs.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>

#include "tests/assets/file_bytes.h"

namespace {

struct Tune {
  std::uint32_t format = 0, tracks = 0, division = 0;
  std::uint32_t endTick = 0;      // the latest end-of-track
  std::uint32_t firstNote = ~0u;  // tick of the first note start
  std::uint32_t lastNoteEnd = 0;  // tick of the last note end
  int notes = 0;
  int programChanges = 0;
  bool runningStatusUsed = false;
  std::map<std::uint32_t, std::uint32_t> tempo;  // tick -> microseconds per quarter

  double Seconds(std::uint32_t tick) const {
    double seconds = 0;
    std::uint32_t at = 0, micros = 500000;
    for (const auto& [t, m] : tempo) {
      if (t >= tick) break;
      seconds += static_cast<double>(t - at) * micros / 1e6 / division;
      at = t;
      micros = m;
    }
    return seconds + static_cast<double>(tick - at) * micros / 1e6 / division;
  }
};

std::uint32_t ReadVariableLength(const FileBytes& b, size_t& at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const std::uint8_t byte = b.at(at++);
    value = (value << 7) | (byte & 0x7F);
    if ((byte & 0x80) == 0) return value;
  }
  ADD_FAILURE() << "variable-length number longer than four bytes";
  return value;
}

// Walks one MTrk chunk, checking that every status is known, that running
// status only continues a channel message, that every note is ended and
// that end-of-track closes the chunk exactly.
void ReadTrack(const FileBytes& b, size_t at, size_t end, Tune& tune) {
  std::uint32_t tick = 0;
  std::uint8_t running = 0;
  std::map<std::pair<int, int>, int> sounding;
  bool ended = false;
  while (at < end && !ended) {
    tick += ReadVariableLength(b, at);
    std::uint8_t status = b.at(at);
    if (status & 0x80) {
      ++at;
    } else {
      ASSERT_NE(running, 0) << "running status with nothing to continue";
      status = running;
      tune.runningStatusUsed = true;
    }
    if (status == 0xFF) {
      running = 0;
      const std::uint8_t type = b.at(at++);
      const std::uint32_t length = ReadVariableLength(b, at);
      if (type == 0x51) tune.tempo[tick] = (b.at(at) << 16) | (b.at(at + 1) << 8) | b.at(at + 2);
      if (type == 0x2F) ended = true;
      at += length;
      continue;
    }
    ASSERT_LT(status, 0xF0) << "system exclusive in a tune";
    running = status;
    const int kind = status & 0xF0;
    const int channel = status & 0x0F;
    const int data1 = b.at(at++);
    const int data2 = (kind == 0xC0 || kind == 0xD0) ? 0 : b.at(at++);
    ASSERT_LT(data1, 128);
    ASSERT_LT(data2, 128);
    if (kind == 0xC0) ++tune.programChanges;
    if (kind == 0x90 && data2 > 0) {
      ++sounding[std::make_pair(channel, data1)];
      ++tune.notes;
      tune.firstNote = std::min(tune.firstNote, tick);
    } else if (kind == 0x80 || kind == 0x90) {
      int& count = sounding[std::make_pair(channel, data1)];
      ASSERT_GT(count, 0) << "note ended that was not playing";
      --count;
      tune.lastNoteEnd = std::max(tune.lastNoteEnd, tick);
    }
  }
  EXPECT_TRUE(ended) << "no end-of-track";
  EXPECT_EQ(at, end) << "end-of-track is not the last event of its chunk";
  for (const auto& [note, count] : sounding) EXPECT_EQ(count, 0) << "note left sounding";
  tune.endTick = std::max(tune.endTick, tick);
}

Tune ReadTune(const FileBytes& b) {
  Tune tune;
  EXPECT_GE(b.size(), 14u);
  if (b.size() < 14) return tune;
  EXPECT_EQ(Tag(b, 0), "MThd");
  EXPECT_EQ(Be32(b, 4), 6u);
  tune.format = Be16(b, 8);
  tune.tracks = Be16(b, 10);
  tune.division = Be16(b, 12);
  size_t at = 14;
  for (std::uint32_t t = 0; t < tune.tracks; ++t) {
    EXPECT_EQ(Tag(b, at), "MTrk") << "track " << t;
    const size_t length = Be32(b, at + 4);
    EXPECT_LE(at + 8 + length, b.size());
    if (at + 8 + length > b.size()) return tune;
    ReadTrack(b, at + 8, at + 8 + length, tune);
    at += 8 + length;
  }
  EXPECT_EQ(at, b.size()) << "bytes after the last track";
  return tune;
}

class Tunes : public ::testing::TestWithParam<const char*> {};

TEST_P(Tunes, AreFormatOneMidiFilesThatLoopCleanly) {
  const Tune tune = ReadTune(ReadSourceFile(std::string("data/") + GetParam()));
  EXPECT_EQ(tune.format, 1u);
  EXPECT_GE(tune.tracks, 4u);
  EXPECT_LT(tune.division, 0x8000u) << "ticks per quarter note, not frames";
  EXPECT_GT(tune.notes, 300);
  EXPECT_GE(tune.programChanges, 3) << "General MIDI instruments chosen";
  EXPECT_TRUE(tune.runningStatusUsed);
  const double seconds = tune.Seconds(tune.endTick);
  EXPECT_GE(seconds, 45.0);
  EXPECT_LE(seconds, 120.0);
  // No silence worth hearing at either end of the loop.
  EXPECT_LT(tune.Seconds(tune.firstNote), 0.5);
  EXPECT_LT(seconds - tune.Seconds(tune.lastNoteEnd), 0.5);
}

INSTANTIATE_TEST_SUITE_P(Both, Tunes, ::testing::Values("music1.mid", "music2.mid"),
                         [](const auto& info) { return std::string(info.param).substr(0, 6); });

TEST(Clap, IsAShortUnclippedSixteenBitPcmWave) {
  const FileBytes wav = ReadSourceFile("data/Clap.wav");
  ASSERT_GE(wav.size(), 44u);
  EXPECT_EQ(Tag(wav, 0), "RIFF");
  EXPECT_EQ(Le32(wav, 4), wav.size() - 8);
  EXPECT_EQ(Tag(wav, 8), "WAVE");
  EXPECT_EQ(Tag(wav, 12), "fmt ");
  EXPECT_EQ(Le32(wav, 16), 16u);
  EXPECT_EQ(Le16(wav, 20), 1u) << "PCM";
  const std::uint32_t channels = Le16(wav, 22);
  const std::uint32_t rate = Le32(wav, 24);
  EXPECT_TRUE(rate == 22050 || rate == 44100);
  EXPECT_EQ(Le32(wav, 28), rate * channels * 2);
  EXPECT_EQ(Le16(wav, 32), channels * 2);
  EXPECT_EQ(Le16(wav, 34), 16u);
  EXPECT_EQ(Tag(wav, 36), "data");
  const std::uint32_t bytes = Le32(wav, 40);
  ASSERT_EQ(wav.size(), 44u + bytes);
  EXPECT_LT(static_cast<double>(bytes) / (rate * channels * 2), 0.3);
  int peak = 0;
  for (size_t i = 44; i + 1 < wav.size(); i += 2) {
    const auto sample = static_cast<std::int16_t>(Le16(wav, i));
    peak = std::max(peak, sample < 0 ? -sample : static_cast<int>(sample));
  }
  EXPECT_GT(peak, 8000) << "audible";
  EXPECT_LT(peak, 30000) << "headroom below clipping";
}

TEST(DataFiles, ScoreTablesAreTenEmptyRecords) {
  for (const char* name : {"zyou.pod", "tyuu.pod", "syo.pod"}) {
    const FileBytes table = ReadSourceFile(std::string("data/") + name);
    ASSERT_EQ(table.size(), 590u) << name;
    EXPECT_TRUE(std::all_of(table.begin(), table.end(), [](std::uint8_t b) { return b == 0xE0; }))
        << name;
  }
}

TEST(DataFiles, SettingsHoldADefaultNameInSixteenBytes) {
  const FileBytes settings = ReadSourceFile("data/zel.ini");
  ASSERT_EQ(settings.size(), 16u);
  const std::string name(settings.begin(), std::find(settings.begin(), settings.end(), 0));
  EXPECT_EQ(name, "PLAYER");
  EXPECT_TRUE(
      std::all_of(settings.begin() + 6, settings.end(), [](std::uint8_t b) { return b == 0; }));
}

}  // namespace
