// Which tune files may reach the synthesiser: only whole, well-formed MIDI
// files that take time to play.
#include "platform/midi_file_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "tests/sound/sound_files.h"

namespace {

using sound_test::Bytes;

void AppendBigEndian(Bytes& bytes, std::uint32_t value, int size) {
  for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
    bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

Bytes Track(std::initializer_list<std::uint8_t> events) {
  Bytes track{'M', 'T', 'r', 'k'};
  AppendBigEndian(track, static_cast<std::uint32_t>(events.size()), 4);
  track.insert(track.end(), events);
  return track;
}

Bytes Midi(std::uint32_t format, std::uint32_t division, std::initializer_list<Bytes> tracks) {
  Bytes file{'M', 'T', 'h', 'd', 0, 0, 0, 6};
  AppendBigEndian(file, format, 2);
  AppendBigEndian(file, static_cast<std::uint32_t>(tracks.size()), 2);
  AppendBigEndian(file, division, 2);
  for (const Bytes& track : tracks) file.insert(file.end(), track.begin(), track.end());
  return file;
}

// One note held for 96 ticks, then the end of the track.
const Bytes kNote = Track({0x00, 0x90, 0x45, 0x7F, 0x60, 0x80, 0x45, 0x00, 0x00, 0xFF, 0x2F, 0x00});
const Bytes kNothing = Track({0x00, 0xFF, 0x2F, 0x00});

struct MidiCase {
  const char* name;
  Bytes bytes;
  bool playable;
};

TEST(MidiFileCheck, AcceptsOnlyWholeFilesThatTakeTime) {
  const MidiCase cases[] = {
      {"one note", Midi(0, 96, {kNote}), true},
      {"running status",
       Midi(0, 96, {Track({0x00, 0x90, 0x45, 0x7F, 0x60, 0x45, 0x00, 0x00, 0xFF, 0x2F, 0x00})}),
       true},
      {"sysex and text events",
       Midi(0, 96,
            {Track({0x00, 0xF0, 0x02, 0x7E, 0xF7, 0x00, 0xFF, 0x01, 0x02, 'h', 'i', 0x60, 0xFF,
                    0x2F, 0x00})}),
       true},
      {"format 1, only the second track takes time", Midi(1, 96, {kNothing, kNote}), true},

      {"empty", {}, false},
      {"not MIDI", {'R', 'I', 'F', 'F', 0, 0, 0, 0}, false},
      {"takes no time", Midi(0, 96, {kNothing}), false},
      {"format 2", Midi(2, 96, {kNote}), false},
      {"SMPTE timing", Midi(0, 0xE728, {kNote}), false},
      {"tempo 0", Midi(0, 96, {Track({0x00, 0xFF, 0x51, 0x03, 0, 0, 0, 0x60, 0xFF, 0x2F, 0x00})}),
       false},
      {"tempo of two bytes",
       Midi(0, 96, {Track({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1, 0x60, 0xFF, 0x2F, 0x00})}), false},
      {"no end of track", Midi(0, 96, {Track({0x00, 0x90, 0x45, 0x7F, 0x60, 0x80, 0x45, 0x00})}),
       false},
      {"bytes after the end of track",
       Midi(0, 96, {Track({0x60, 0xFF, 0x2F, 0x00, 0x00, 0x90, 0x45, 0x7F})}), false},
      {"running status after a meta event",
       Midi(0, 96,
            {Track({0x00, 0x90, 0x45, 0x7F, 0x00, 0xFF, 0x01, 0x00, 0x60, 0x45, 0x00, 0x00, 0xFF,
                    0x2F, 0x00})}),
       false},
      {"sysex continuation", Midi(0, 96, {Track({0x00, 0xF7, 0x01, 0x7E, 0x60, 0xFF, 0x2F, 0x00})}),
       false},
      {"five-byte delta", Midi(0, 96, {Track({0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x2F, 0x00})}),
       false},
      {"meta event longer than the track",
       Midi(0, 96, {Track({0x60, 0xFF, 0x01, 0x7F, 0xFF, 0x2F, 0x00})}), false},
  };
  for (const MidiCase& midi : cases) {
    SCOPED_TRACE(midi.name);
    EXPECT_EQ(platform::IsPlayableMidi(midi.bytes), midi.playable);
  }
}

TEST(MidiFileCheck, EveryCutShortFileIsRefused) {
  const Bytes whole = Midi(1, 96, {kNothing, kNote});
  ASSERT_TRUE(platform::IsPlayableMidi(whole));
  for (std::size_t size = 0; size < whole.size(); ++size) {
    SCOPED_TRACE(size);
    EXPECT_FALSE(platform::IsPlayableMidi(std::span(whole).first(size)));
  }
}

// Refusing a file costs its music, so the check must not refuse the tunes
// the game ships with.
TEST(MidiFileCheck, PassesTheGamesOwnTunes) {
  for (const char* name : {"music1.mid", "music2.mid"}) {
    SCOPED_TRACE(name);
    std::ifstream in(std::string(MORVEX2_SOURCE_DIR) + "/data/" + name, std::ios::binary);
    if (!in) GTEST_SKIP() << "the game's tunes are not in data/";
    const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(platform::IsPlayableMidi(bytes));
  }
}

}  // namespace
