#include "tools/art/tune_notation.h"

#include <cstdio>
#include <map>
#include <sstream>

namespace art {
namespace {

constexpr std::uint32_t kBar = 16;

// Reads "C", "F#", "Bb" from the front of `text`; -1 if it is not a note name.
int PitchClass(const std::string& text, size_t* used) {
  static const std::map<char, int> kNatural{{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5},
                                            {'G', 7}, {'A', 9}, {'B', 11}};
  if (text.empty() || !kNatural.contains(text[0])) return -1;
  int pc = kNatural.at(text[0]);
  *used = 1;
  if (text.size() > 1 && (text[1] == '#' || text[1] == 'b')) {
    pc += text[1] == '#' ? 1 : -1;
    *used = 2;
  }
  return (pc + 12) % 12;
}

bool Fail(const std::string& what, const std::string& where) {
  std::fprintf(stderr, "tune: %s at \"%s\"\n", what.c_str(), where.c_str());
  return false;
}

}  // namespace

std::optional<std::vector<WrittenNote>> ParseMelody(const std::string& text) {
  std::vector<WrittenNote> notes;
  std::string spaced;  // bar lines may touch the notes beside them
  for (char c : text) spaced += c == '|' ? std::string(" | ") : std::string(1, c);
  std::istringstream words(spaced);
  std::string word;
  std::uint32_t now = 0, barStart = 0, length = 4;
  while (words >> word) {
    if (word == "|") {
      if (now - barStart != kBar) return Fail("bar of wrong length", word), std::nullopt;
      barStart = now;
      continue;
    }
    const size_t colon = word.find(':');
    if (colon != std::string::npos) {
      const std::string digits = word.substr(colon + 1);
      if (digits.empty() || digits.size() > 3 ||
          digits.find_first_not_of("0123456789") != std::string::npos) {
        return Fail("bad length", word), std::nullopt;
      }
      length = static_cast<std::uint32_t>(std::stoul(digits));
    }
    const std::string name = word.substr(0, colon);
    if (name != "r") {
      size_t used = 0;
      const int pc = PitchClass(name, &used);
      const std::string octave = name.substr(used);
      if (pc < 0 || octave.size() != 1 || octave[0] < '0' || octave[0] > '8') {
        return Fail("bad note", word), std::nullopt;
      }
      // B#/Cb cross the octave line; our tunes never use them.
      notes.push_back({now, length, 12 * (octave[0] - '0' + 1) + pc});
    }
    now += length;
  }
  if (now - barStart != kBar && now != barStart)
    return Fail("last bar of wrong length", word), std::nullopt;
  return notes;
}

std::optional<std::vector<WrittenChord>> ParseChords(const std::string& text) {
  static const std::map<std::string, std::vector<int>> kQualities{
      {"", {0, 4, 7}},          {"m", {0, 3, 7}},       {"7", {0, 4, 7, 10}},
      {"maj7", {0, 4, 7, 11}},  {"m7", {0, 3, 7, 10}},  {"sus4", {0, 5, 7}},
      {"7sus4", {0, 5, 7, 10}}, {"add9", {0, 2, 4, 7}}, {"m9", {0, 2, 3, 7, 10}}};
  std::vector<WrittenChord> chords;
  std::istringstream bars(text);
  std::string bar;
  std::uint32_t barStart = 0;
  while (std::getline(bars, bar, '|')) {
    std::istringstream symbols(bar);
    std::vector<std::string> names;
    std::string s;
    while (symbols >> s) names.push_back(s);
    if (names.empty()) continue;
    if (names.size() > 2) return Fail("more than two chords in a bar", bar), std::nullopt;
    const std::uint32_t share = kBar / static_cast<std::uint32_t>(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
      size_t used = 0;
      const int root = PitchClass(names[i], &used);
      const size_t slash = names[i].find('/');
      const std::string quality =
          names[i].substr(used, slash == std::string::npos ? std::string::npos : slash - used);
      if (root < 0 || !kQualities.contains(quality))
        return Fail("unknown chord", names[i]), std::nullopt;
      int bass = root;
      if (slash != std::string::npos) {
        size_t bassUsed = 0;
        bass = PitchClass(names[i].substr(slash + 1), &bassUsed);
        if (bass < 0) return Fail("unknown bass", names[i]), std::nullopt;
      }
      chords.push_back({barStart + share * static_cast<std::uint32_t>(i), share, root, bass,
                        kQualities.at(quality)});
    }
    barStart += kBar;
  }
  return chords;
}

}  // namespace art
