#include "tools/art/tune_arranger.h"

#include <algorithm>
#include <cmath>

namespace art {
namespace {

// The key of pitch class `pc` at or above `low`.
int KeyAtOrAbove(int pc, int low) {
  int key = low;
  while (((key % 12) + 12) % 12 != pc) ++key;
  return key;
}

std::vector<int> Voicing(const WrittenChord& chord, int lowKey) {
  std::vector<int> keys;
  for (int interval : chord.tones)
    keys.push_back(KeyAtOrAbove((chord.root + interval) % 12, lowKey));
  std::sort(keys.begin(), keys.end());
  return keys;
}

}  // namespace

Arrangement::Arrangement(const std::string& title, double beatsPerMinute, int bars)
    : bpm_(beatsPerMinute), bars_(bars) {
  MidiTrack conductor;
  conductor.Name(title);
  conductor.TimeSignature(0, 4, 2);
  conductor.Tempo(0, beatsPerMinute);
  tracks_.push_back(std::move(conductor));
}

int Arrangement::AddPart(const Instrument& instrument) {
  MidiTrack track;
  track.Name(instrument.name);
  track.Control(0, instrument.channel, 121, 0);  // reset controllers
  if (instrument.channel != 9) track.Program(0, instrument.channel, instrument.program);
  track.Control(0, instrument.channel, 7, instrument.volume);
  track.Control(0, instrument.channel, 10, instrument.pan);
  track.Control(0, instrument.channel, 91, instrument.reverb);
  tracks_.push_back(std::move(track));
  instruments_.push_back(instrument);
  return static_cast<int>(instruments_.size()) - 1;
}

void Arrangement::Play(int part, const std::vector<WrittenNote>& notes, int bar, int velocity,
                       int transpose, double legato) {
  const int channel = instruments_[part].channel;
  for (const WrittenNote& n : notes) {
    // Notes on the beat a little stronger, so that phrases breathe.
    const int accent = (n.start % 4 == 0) ? 6 : 0;
    const auto length =
        static_cast<std::uint32_t>(std::max(30.0, std::floor(n.length * kTicksPerStep * legato)));
    tracks_[part + 1].Note(Tick(bar, n.start), channel, n.key + transpose, velocity + accent,
                           length);
  }
}

void Arrangement::Bass(int part, const std::vector<WrittenChord>& chords, int bar, BassStyle style,
                       int velocity) {
  const int channel = instruments_[part].channel;
  MidiTrack& track = tracks_[part + 1];
  for (const WrittenChord& c : chords) {
    const int root = KeyAtOrAbove(c.bass, 36);  // C2 and up
    const int fifth = KeyAtOrAbove((c.root + 7) % 12, root);
    if (style == BassStyle::kCalm) {
      // Root held, then the fifth for the second half of a whole bar.
      const std::uint32_t half = c.length >= 16 ? c.length / 2 : c.length;
      track.Note(Tick(bar, c.start), channel, root, velocity, half * kTicksPerStep - 40);
      if (half < c.length) {
        track.Note(Tick(bar, c.start + half), channel, fifth, velocity - 8,
                   half * kTicksPerStep - 40);
      }
    } else {
      // Eighth notes that jump to the octave and the fifth.
      const int pattern[8] = {root, root, root + 12, root, fifth, root, root + 12, root};
      for (std::uint32_t step = 0; step < c.length; step += 2) {
        const int key = pattern[(step / 2) % 8];
        track.Note(Tick(bar, c.start + step), channel, key, velocity + (step % 4 == 0 ? 8 : 0),
                   kTicksPerStep * 2 - 50);
      }
    }
  }
}

void Arrangement::Chords(int part, const std::vector<WrittenChord>& chords, int bar,
                         ChordStyle style, int lowKey, int velocity) {
  const int channel = instruments_[part].channel;
  MidiTrack& track = tracks_[part + 1];
  for (const WrittenChord& c : chords) {
    const std::vector<int> keys = Voicing(c, lowKey);
    switch (style) {
      case ChordStyle::kSustained:
        for (int key : keys) {
          track.Note(Tick(bar, c.start), channel, key, velocity, c.length * kTicksPerStep - 30);
        }
        break;
      case ChordStyle::kOffbeat:
        for (std::uint32_t step = 2; step < c.length; step += 4) {
          for (int key : keys) {
            track.Note(Tick(bar, c.start + step), channel, key, velocity, kTicksPerStep + 40);
          }
        }
        break;
      case ChordStyle::kArpeggio: {
        // Up through the chord and its octave, then back down.
        std::vector<int> run = keys;
        run.push_back(keys[0] + 12);
        for (size_t i = keys.size(); i-- > 1;) run.push_back(keys[i]);
        for (std::uint32_t step = 0; step < c.length; step += 2) {
          const int key = run[(step / 2) % run.size()];
          track.Note(Tick(bar, c.start + step), channel, key, velocity - (step % 4 == 0 ? 0 : 8),
                     kTicksPerStep * 2 - 20);
        }
        break;
      }
    }
  }
}

void Arrangement::Drums(int part, const DrumBar& pattern, int fromBar, int toBar) {
  const int channel = instruments_[part].channel;
  for (int bar = fromBar; bar < toBar; ++bar) {
    for (int voice = 0; voice < 4; ++voice) {
      const char* steps = pattern.steps[voice];
      if (steps == nullptr) continue;
      for (std::uint32_t step = 0; step < kStepsPerBar && steps[step] != '\0'; ++step) {
        if (steps[step] < '1' || steps[step] > '9') continue;
        const int velocity = 14 * (steps[step] - '0');
        tracks_[part + 1].Note(Tick(bar, step), channel, pattern.keys[voice], velocity,
                               kTicksPerStep - 10);
      }
    }
  }
}

double Arrangement::Seconds() const {
  return bars_ * 4 * 60.0 / bpm_;
}

Bytes Arrangement::Encode() const {
  const std::uint32_t end = Tick(bars_, 0);
  return EncodeMidiFile(tracks_, kTicksPerQuarter, end);
}

}  // namespace art
