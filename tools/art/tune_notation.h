// A compact way to write tunes in code.
//
// Melody: notes like "C5:4" (key and octave, C4 = middle C, then the length in
// sixteenths, kept for the following notes when left out), "F#4", "Bb3", rests
// "r:8", and bar lines "|". Every bar must add up to 16 sixteenths.
//
// Chords: bars separated by "|", each holding one or two chord symbols that
// share the bar equally: "Fmaj7 | Em7 A7 | Dm7". Qualities: (none), m, 7,
// maj7, m7, sus4, 7sus4, add9, m9; an optional "/E" names the bass.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace art {

struct WrittenNote {
  std::uint32_t start;   // in sixteenths from the start of the passage
  std::uint32_t length;  // in sixteenths
  int key;               // MIDI key number
};

struct WrittenChord {
  std::uint32_t start;  // in sixteenths
  std::uint32_t length;
  int root;                // pitch class 0..11
  int bass;                // pitch class of the bass note
  std::vector<int> tones;  // intervals above the root, ascending
};

// Empty (with a message on stderr) when the text is malformed or a bar does
// not add up.
std::optional<std::vector<WrittenNote>> ParseMelody(const std::string& text);
std::optional<std::vector<WrittenChord>> ParseChords(const std::string& text);

}  // namespace art
