// The notation the tunes are written in: a slip in a bar must stop the build
// of the tunes rather than shift every later note.
#include "tools/art/tune_notation.h"

#include <gtest/gtest.h>

#include "tools/art/midi_writer.h"

namespace {

using art::ParseChords;
using art::ParseMelody;

TEST(MelodyNotation, ReadsKeysLengthsAndRests) {
  const auto notes = ParseMelody("C4:4 C#4 Bb3:2 r:2 A5:4 | G9:16");
  EXPECT_FALSE(notes) << "octave 9 is out of range";
  const auto ok = ParseMelody("C4:4 C#4 Bb3:2 r:2 A5:4 |");
  ASSERT_TRUE(ok);
  ASSERT_EQ(ok->size(), 4u);
  const int keys[] = {60, 61, 58, 81};
  const std::uint32_t starts[] = {0, 4, 8, 12};
  const std::uint32_t lengths[] = {4, 4, 2, 4};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ((*ok)[i].key, keys[i]) << i;
    EXPECT_EQ((*ok)[i].start, starts[i]) << i;
    EXPECT_EQ((*ok)[i].length, lengths[i]) << i;
  }
}

TEST(MelodyNotation, RejectsBarsThatDoNotAddUp) {
  for (const char* text : {"C4:4 D4 E4 |", "C4:8 D4:12 |", "C4:16 | D4:4", "H4:16 |", "C4:x |"}) {
    EXPECT_FALSE(ParseMelody(text)) << text;
  }
}

TEST(ChordNotation, SplitsBarsAndReadsQualitiesAndBass) {
  const auto chords = ParseChords("Fmaj7 | Am7 D7 | G/B |");
  ASSERT_TRUE(chords);
  ASSERT_EQ(chords->size(), 4u);
  EXPECT_EQ((*chords)[0].root, 5);
  EXPECT_EQ((*chords)[0].tones, (std::vector<int>{0, 4, 7, 11}));
  EXPECT_EQ((*chords)[1].start, 16u);
  EXPECT_EQ((*chords)[1].length, 8u);
  EXPECT_EQ((*chords)[2].start, 24u);
  EXPECT_EQ((*chords)[3].root, 7);
  EXPECT_EQ((*chords)[3].bass, 11);
  EXPECT_FALSE(ParseChords("Fxyz |"));
  EXPECT_FALSE(ParseChords("C D E |"));
}

// Two notes on one channel share their status byte; a meta event in between
// ends running status, so the next note states it again.
TEST(MidiTrack, UsesRunningStatusOnlyWithinChannelMessages) {
  art::MidiTrack track;
  track.Note(0, 2, 60, 100, 10);
  track.Note(10, 2, 62, 100, 10);
  const art::Bytes plain = track.Encode(20);
  const art::Bytes expected{0x00, 0x92, 60, 100, 0x0A, 60,   0,    0x00, 62,
                            100,  0x0A, 62, 0,   0x00, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(plain, expected);

  art::MidiTrack withTempo;
  withTempo.Note(0, 0, 60, 90, 200);
  withTempo.Tempo(100, 120);
  withTempo.Note(100, 0, 64, 90, 100);
  const art::Bytes bytes = withTempo.Encode(300);
  // ... 0x64 (delta 100), FF 51 03 07 A1 20, 00 90 40 5A ...
  const art::Bytes tail{0x64, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0x90, 64, 90};
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), tail.begin(), tail.end()), bytes.end());
}

TEST(MidiTrack, WritesLongDeltasInSevenBitGroups) {
  art::MidiTrack track;
  track.Note(0x4000, 0, 60, 100, 0x80);
  const art::Bytes bytes = track.Encode(0x4000 + 0x80);
  const art::Bytes expected{0x81, 0x80, 0x00, 0x90, 60,   100,  0x81,
                            0x00, 60,   0,    0x00, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(bytes, expected);
}

}  // namespace
