// The title tune: an unhurried flute melody in F major over electric piano,
// strings and a soft brushed beat. Two bars of introduction, a sixteen-bar
// song and its return, and a two-bar tag that leads back to the introduction.
#include "tools/art/tune_arranger.h"
#include "tools/art/tunes.h"

namespace art {
namespace {

constexpr int kBars = 28;

const char* const kChords =
    "Fmaj7 | C7sus4 |"
    "Fmaj7 | Am7 | Bbmaj7 | C7sus4 C7 | Fmaj7 | Am7 Dm7 | Gm7 | C7sus4 C7 |"
    "Bbmaj7 | C7 | Am7 | Dm7 | Gm7 | Am7 | Bbmaj7 | C7sus4 |"
    "Fmaj7 | Am7 | Bbmaj7 | C7sus4 C7 | Fmaj7 | Am7 Dm7 | Gm7 C7 | F |"
    "Bbmaj7 | C7sus4";

// From bar 2 to the end.
const char* const kMelody =
    "C5:6 A4:2 C5:4 F5:4 | E5:8 D5:4 C5:4 | D5:6 C5:2 D5:4 F5:4 | G5:8 E5:4 C5:4 |"
    "C5:6 A4:2 C5:4 F5:4 | E5:4 G5:4 F5:4 E5:4 | D5:6 C5:2 Bb4:4 A4:4 | C5:12 r:4 |"
    "F5:4 F5:2 G5:2 A5:8 | G5:4 F5:4 E5:4 C5:4 | E5:4 E5:2 F5:2 G5:8 | F5:4 E5:4 D5:4 A4:4 |"
    "Bb4:4 D5:4 F5:4 G5:4 | A5:6 G5:2 E5:4 C5:4 | D5:4 F5:4 A5:4 G5:4 | F5:8 G5:8 |"
    "C5:6 A4:2 C5:4 F5:4 | E5:8 D5:4 C5:4 | D5:6 C5:2 D5:4 F5:4 | G5:8 E5:4 C5:4 |"
    "A5:6 G5:2 F5:4 C5:4 | E5:4 G5:4 F5:4 E5:4 | D5:4 Bb4:4 C5:4 E5:4 | F5:16 |"
    "r:8 A4:4 C5:4 | D5:4 C5:4 G4:8 |";

const DrumBar kBrushes{{42, 37, 36, 0},
                       {"3.2.3.2.3.2.3.2.", "....4.......4...", "5.........3.....", nullptr}};
const DrumBar kHatsOnly{{42, 0, 0, 0}, {"2...2...2...2...", nullptr, nullptr, nullptr}};

}  // namespace

std::optional<Bytes> ComposeTitleTune() {
  const auto chords = ParseChords(kChords);
  const auto melody = ParseMelody(kMelody);
  if (!chords || !melody) return std::nullopt;

  Arrangement tune("Morvex2 title", 76, kBars);
  const int flute = tune.AddPart({"Flute", 0, 73, 112, 64, 70});
  const int piano = tune.AddPart({"Electric piano", 1, 4, 100, 40, 60});
  const int strings = tune.AddPart({"Strings", 2, 49, 84, 88, 80});
  const int bass = tune.AddPart({"Bass", 3, 33, 104, 64, 30});
  const int vibes = tune.AddPart({"Vibraphone", 4, 11, 84, 96, 70});
  const int drums = tune.AddPart({"Drums", 9, 0, 80, 64, 40});

  tune.Play(flute, *melody, 2, 78, 0, 0.94);
  // The vibraphone joins an octave below for the return of the song.
  std::vector<WrittenNote> reprise;
  for (const WrittenNote& n : *melody) {
    if (n.start >= 16 * 16 && n.start < 24 * 16)
      reprise.push_back({n.start - 16 * 16, n.length, n.key});
  }
  tune.Play(vibes, reprise, 18, 52, -12, 0.9);
  tune.Chords(piano, *chords, 0, ChordStyle::kArpeggio, 57, 58);
  tune.Chords(strings, *chords, 0, ChordStyle::kSustained, 53, 46);
  tune.Bass(bass, *chords, 0, BassStyle::kCalm, 70);
  tune.Drums(drums, kHatsOnly, 0, 2);
  tune.Drums(drums, kBrushes, 2, 26);
  tune.Drums(drums, kHatsOnly, 26, 28);
  return tune.Encode();
}

}  // namespace art
