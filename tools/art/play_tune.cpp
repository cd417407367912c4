// The play tune: a bouncy G major tune for flute and glockenspiel over marimba,
// electric piano off-beats, a walking octave bass and a light pop beat. After
// a two-bar introduction: the song, its answer, a bridge, a calmer interlude
// carried by strings, and the answer again, which leads back to the start.
#include "tools/art/tune_arranger.h"
#include "tools/art/tunes.h"

namespace art {
namespace {

constexpr int kBars = 42;

const char* const kIntro = "G | D7 |";
const char* const kSong = "G | Em | C | D | G | Em | Am7 D7 | G |";
const char* const kBridge = "C | D | Bm7 | Em | Am7 | D | G/B C | D7 |";
const char* const kInterlude = "Em | C | G | D | Em | C | G | D7 |";

const char* const kSongMelody =
    "D5:2 G5:2 B5:2 A5:2 G5:4 D5:4 | E5:2 G5:2 B5:4 A5:2 G5:2 E5:4 |"
    "C5:2 E5:2 G5:2 A5:2 G5:4 E5:4 | F#5:2 E5:2 D5:2 E5:2 F#5:4 A5:4 |"
    "D5:2 G5:2 B5:2 A5:2 G5:4 D5:4 | E5:2 G5:2 B5:4 D6:4 B5:4 |"
    "C6:4 B5:2 A5:2 F#5:4 A5:4 | G5:6 D5:2 G5:4 r:4 |";
const char* const kAnswerMelody =
    "D5:2 G5:2 B5:2 A5:2 G5:4 D5:4 | E5:2 G5:2 B5:4 A5:2 G5:2 E5:4 |"
    "C5:2 E5:2 G5:2 A5:2 G5:4 E5:4 | F#5:2 E5:2 D5:2 E5:2 F#5:4 A5:4 |"
    "B5:2 A5:2 G5:2 A5:2 B5:4 D6:4 | E6:4 D6:2 B5:2 G5:4 E5:4 |"
    "A5:2 B5:2 C6:2 A5:2 D6:4 C6:4 | B5:8 G5:4 r:4 |";
const char* const kBridgeMelody =
    "E5:4 E5:2 G5:2 C6:4 B5:4 | A5:6 F#5:2 D5:8 | D5:2 F#5:2 A5:2 B5:2 A5:4 F#5:4 |"
    "G5:6 F#5:2 E5:8 | C6:4 B5:2 A5:2 E5:4 A5:4 | F#5:4 E5:2 D5:2 A5:8 |"
    "B5:4 G5:4 C6:4 G5:4 | F#5:4 A5:4 C6:4 A5:4 |";
const char* const kInterludeMelody =
    "B5:12 A5:4 | G5:12 E5:4 | D5:8 G5:8 | F#5:16 | B5:8 C6:4 B5:4 | G5:8 A5:4 G5:4 |"
    "D6:8 B5:8 | A5:4 B5:4 C6:4 F#5:4 |";

const DrumBar kBeat{{36, 38, 42, 0},
                    {"8.....5.8.......", "....8.......8...", "5.3.5.3.5.3.5.3.", nullptr}};
const DrumBar kBeatWithFill{
    {36, 38, 42, 46},
    {"8.....5.8.......", "....8.......8.56", "5.3.5.3.5.3.....", "..............4."}};
const DrumBar kLight{{36, 37, 51, 0},
                     {"6.......5.......", "....4.......4...", "4.3.4.3.4.3.4.3.", nullptr}};
const DrumBar kCrash{{49, 0, 0, 0}, {"6...............", nullptr, nullptr, nullptr}};

struct Section {
  const char* chords;
  const char* melody;  // nullptr: none
  int bar;
};

}  // namespace

std::optional<Bytes> ComposePlayTune() {
  const Section sections[] = {{kIntro, nullptr, 0},
                              {kSong, kSongMelody, 2},
                              {kSong, kAnswerMelody, 10},
                              {kBridge, kBridgeMelody, 18},
                              {kInterlude, kInterludeMelody, 26},
                              {kSong, kAnswerMelody, 34}};

  Arrangement tune("Morvex2 play", 140, kBars);
  const int flute = tune.AddPart({"Flute", 0, 73, 100, 64, 50});
  const int glock = tune.AddPart({"Glockenspiel", 1, 9, 64, 80, 60});
  const int marimba = tune.AddPart({"Marimba", 2, 12, 88, 36, 40});
  const int piano = tune.AddPart({"Electric piano", 3, 5, 76, 92, 40});
  const int bass = tune.AddPart({"Bass", 4, 33, 100, 64, 20});
  const int strings = tune.AddPart({"Strings", 5, 48, 84, 72, 80});
  const int drums = tune.AddPart({"Drums", 9, 0, 84, 64, 30});

  for (const Section& s : sections) {
    const auto chords = ParseChords(s.chords);
    if (!chords) return std::nullopt;
    const bool interlude = s.chords == kInterlude;
    tune.Bass(bass, *chords, s.bar, interlude ? BassStyle::kCalm : BassStyle::kBouncy, 76);
    tune.Chords(marimba, *chords, s.bar, ChordStyle::kArpeggio, 60, interlude ? 70 : 58);
    if (!interlude) tune.Chords(piano, *chords, s.bar, ChordStyle::kOffbeat, 55, 52);
    if (s.chords == kBridge) tune.Chords(strings, *chords, s.bar, ChordStyle::kSustained, 55, 44);
    if (s.melody == nullptr) continue;
    const auto melody = ParseMelody(s.melody);
    if (!melody) return std::nullopt;
    if (interlude) {
      tune.Play(strings, *melody, s.bar, 74, 0, 0.98);
    } else {
      tune.Play(flute, *melody, s.bar, 84, 0, 0.86);
      tune.Play(glock, *melody, s.bar, 44, 12, 0.5);
    }
  }

  tune.Drums(drums, kBeat, 0, 1);
  tune.Drums(drums, kBeatWithFill, 1, 2);
  for (int bar = 2; bar < 26; bar += 8) {
    tune.Drums(drums, kCrash, bar, bar + 1);
    tune.Drums(drums, kBeat, bar, bar + 7);
    tune.Drums(drums, kBeatWithFill, bar + 7, bar + 8);
  }
  tune.Drums(drums, kLight, 26, 33);
  tune.Drums(drums, kBeatWithFill, 33, 34);
  tune.Drums(drums, kCrash, 34, 35);
  tune.Drums(drums, kBeat, 34, 41);
  tune.Drums(drums, kBeatWithFill, 41, 42);
  return tune.Encode();
}

}  // namespace art
