// Which tune files may reach the synthesiser: only whole, well-formed MIDI
// files that take time to play.
#include "formats/midi_file_check.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A file of the given format and timing whose tracks hold these events.
Bytes Midi(std::uint8_t format, std::uint16_t division, std::initializer_list<Bytes> tracks) {
  const auto count = static_cast<std::uint8_t>(tracks.size());
  Bytes file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, format, 0, count, 0, 0};
  file[12] = static_cast<std::uint8_t>(division >> 8),
  file[13] = static_cast<std::uint8_t>(division);
  for (const Bytes& track : tracks) {
    file.insert(file.end(), {'M', 'T', 'r', 'k', 0, 0, 0, static_cast<std::uint8_t>(track.size())});
    file.insert(file.end(), track.begin(), track.end());
  }
  return file;
}

// One note held for 96 ticks, then the end of the track; and the end alone.
const Bytes kNote = {0x00, 0x90, 0x45, 0x7F, 0x60, 0x80, 0x45, 0x00, 0x00, 0xFF, 0x2F, 0x00};
const Bytes kNothing = {0x00, 0xFF, 0x2F, 0x00};

TEST(MidiFileCheck, AcceptsOnlyWholeFilesThatTakeTime) {
  const struct {
    const char* name;
    Bytes bytes;
    bool playable;
  } cases[] = {
      {"one note", Midi(0, 96, {kNote}), true},
      {"running status", Midi(0, 96, {{0, 0x90, 0x45, 0x7F, 0x60, 0x45, 0, 0, 0xFF, 0x2F, 0}}),
       true},
      {"format 1, only the second track takes time", Midi(1, 96, {kNothing, kNote}), true},
      {"empty", {}, false},
      {"not MIDI", {'R', 'I', 'F', 'F', 0, 0, 0, 0}, false},
      {"takes no time", Midi(0, 96, {kNothing}), false},
      {"SMPTE timing", Midi(0, 0xE728, {kNote}), false},
      {"tempo 0", Midi(0, 96, {{0, 0xFF, 0x51, 3, 0, 0, 0, 0x60, 0xFF, 0x2F, 0}}), false},
      {"no end of track", Midi(0, 96, {{0, 0x90, 0x45, 0x7F, 0x60, 0x80, 0x45, 0}}), false},
      {"running status after a meta event",
       Midi(0, 96, {{0, 0x90, 0x45, 0x7F, 0, 0xFF, 1, 0, 0x60, 0x45, 0, 0, 0xFF, 0x2F, 0}}), false},
      {"five-byte delta", Midi(0, 96, {{0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x2F, 0}}), false},
      {"meta event past the track", Midi(0, 96, {{0x60, 0xFF, 1, 0x7F, 0xFF, 0x2F, 0}}), false},
  };
  for (const auto& midi : cases)
    EXPECT_EQ(formats::IsPlayableMidi(midi.bytes), midi.playable) << midi.name;
  // A whole file cut short anywhere is refused.
  const Bytes whole = Midi(1, 96, {kNothing, kNote});
  for (std::size_t size = 0; size < whole.size(); ++size) {
    EXPECT_FALSE(formats::IsPlayableMidi(std::span(whole).first(size))) << size;
  }
}

// Tracks of `count` copies of `track`, as one format-1 file.
Bytes ManyTracks(int count, const Bytes& track) {
  Bytes file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, static_cast<std::uint8_t>(count), 0, 96};
  for (int i = 0; i < count; ++i) {
    const auto size = static_cast<std::uint32_t>(track.size());
    file.insert(file.end(),
                {'M', 'T', 'r', 'k', 0, static_cast<std::uint8_t>(size >> 16),
                 static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)});
    file.insert(file.end(), track.begin(), track.end());
  }
  return file;
}

// `notes` keys struck together and held for 192 ticks (two beats at 120 a
// minute: one second), with `events` controller changes at the start.
Bytes Track(int notes, int events) {
  Bytes track;
  for (int key = 0; key < notes; ++key)
    track.insert(track.end(), {0, 0x90, static_cast<std::uint8_t>(40 + key), 100});
  for (int i = 0; i < events; ++i) track.insert(track.end(), {0, 0xB0, 7, 100});
  track.insert(track.end(), {0x81, 0x40});  // 192 ticks
  for (int key = 0; key < notes; ++key)
    track.insert(track.end(), {0x80, static_cast<std::uint8_t>(40 + key), 0, 0});
  track.insert(track.end(), {0xFF, 0x2F, 0});
  return track;
}

// What the synthesiser can play in real time, and only that, passes: the
// limits are 64 tracks, 128 notes at once, 3,000 events a second.
TEST(MidiFileCheck, RefusesTunesTheSynthesiserCannotKeepUpWith) {
  const struct {
    const char* name;
    Bytes bytes;
    bool playable;
  } cases[] = {
      {"64 tracks", ManyTracks(64, Track(1, 0)), true},
      {"128 tracks", ManyTracks(128, Track(1, 0)), false},
      {"128 notes at once", ManyTracks(16, Track(8, 0)), true},
      {"129 notes at once", ManyTracks(43, Track(3, 0)), false},
      {"2,900 events in a second", ManyTracks(2, Track(1, 1440)), true},
      {"3,100 events in a second", ManyTracks(2, Track(1, 1540)), false},
  };
  for (const auto& midi : cases)
    EXPECT_EQ(formats::IsPlayableMidi(midi.bytes), midi.playable) << midi.name;
}

}  // namespace
