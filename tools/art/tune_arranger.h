// Turns written melodies and chord charts into the tracks of a tune: parts
// that play the melody, and parts that accompany the chords in a chosen style.
#pragma once

#include <string>
#include <vector>

#include "tools/art/midi_writer.h"
#include "tools/art/tune_notation.h"

namespace art {

struct Instrument {
  std::string name;
  int channel;  // 0..15; 9 is the General MIDI drum kit
  int program;  // General MIDI program, 0-based
  int volume;   // controller 7
  int pan;      // controller 10: 0 left, 64 centre, 127 right
  int reverb;   // controller 91
};

enum class BassStyle { kCalm, kBouncy };
enum class ChordStyle { kSustained, kOffbeat, kArpeggio };

// One drum bar: up to four instruments, each a 16-step pattern of velocities
// written as characters: '.' silent, '1'..'9' soft to loud.
struct DrumBar {
  int keys[4];
  const char* steps[4];
};

class Arrangement {
 public:
  static constexpr int kTicksPerQuarter = 480;
  static constexpr int kTicksPerStep = kTicksPerQuarter / 4;  // a sixteenth
  static constexpr int kStepsPerBar = 16;

  Arrangement(const std::string& title, double beatsPerMinute, int bars);

  // Adds a track set up for `instrument`; returns its index.
  int AddPart(const Instrument& instrument);

  // Plays notes from bar `bar` on, `transpose` semitones away, each held for
  // `legato` of its written length.
  void Play(int part, const std::vector<WrittenNote>& notes, int bar, int velocity,
            int transpose = 0, double legato = 0.9);
  void Bass(int part, const std::vector<WrittenChord>& chords, int bar, BassStyle style,
            int velocity);
  // Chords voiced upwards from `lowKey`.
  void Chords(int part, const std::vector<WrittenChord>& chords, int bar, ChordStyle style,
              int lowKey, int velocity);
  void Drums(int part, const DrumBar& pattern, int fromBar, int toBar);

  double Seconds() const;
  Bytes Encode() const;

 private:
  std::uint32_t Tick(int bar, std::uint32_t step) const {
    return static_cast<std::uint32_t>(bar * kStepsPerBar + static_cast<int>(step)) * kTicksPerStep;
  }

  double bpm_;
  int bars_;
  std::vector<MidiTrack> tracks_;
  std::vector<Instrument> instruments_;
};

}  // namespace art
