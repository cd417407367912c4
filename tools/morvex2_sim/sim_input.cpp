#include "tools/morvex2_sim/sim_input.h"

#include <charconv>
#include <limits>
#include <span>

#include "core/replay_file.h"

namespace sim {
namespace {

// The meaningful lines of an input, each split into its words. Blank lines and
// lines whose first word starts with '#' are dropped.
struct Line {
  int number;
  std::vector<std::string_view> words;
};

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::vector<std::string_view> SplitWords(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsSpace(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !IsSpace(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

std::vector<Line> MeaningfulLines(std::string_view text) {
  std::vector<Line> lines;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    ++number;
    std::vector<std::string_view> words = SplitWords(line);
    if (words.empty() || words.front().front() == '#') continue;
    lines.push_back(Line{number, std::move(words)});
  }
  return lines;
}

// A word quoted for an error message: printable ASCII only, and short, so the
// message stays one readable line whatever bytes the input held.
std::string Quoted(std::string_view word) {
  constexpr std::size_t kLongest = 24;
  std::string text = "'";
  for (std::size_t i = 0; i < word.size() && i < kLongest; ++i) {
    const unsigned char c = static_cast<unsigned char>(word[i]);
    text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  if (word.size() > kLongest) text += "...";
  return text + "'";
}

bool Fail(std::string& error, int line, const std::string& reason) {
  error = "line " + std::to_string(line) + ": " + reason;
  return false;
}

// A decimal integer in [low, high], the whole word and nothing else.
bool ParseInteger(std::string_view word, std::int64_t low, std::int64_t high, std::int64_t& value) {
  const char* end = word.data() + word.size();
  const auto [stop, status] = std::from_chars(word.data(), end, value);
  return status == std::errc{} && stop == end && value >= low && value <= high;
}

bool ParseNumber(const Line& line, std::size_t index, std::int64_t low, std::int64_t high,
                 std::int64_t& value, std::string& error) {
  if (ParseInteger(line.words[index], low, high, value)) return true;
  return Fail(error, line.number,
              "expected an integer from " + std::to_string(low) + " to " + std::to_string(high) +
                  ", found " + Quoted(line.words[index]));
}

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

struct FieldHeader {
  const char* name;
  std::int32_t FieldInput::*member;
  std::int64_t low;
};

constexpr FieldHeader kFieldHeaders[] = {
    {"chainPoints", &FieldInput::chainPoints, kInt32Min},
    {"removedCount", &FieldInput::removedCount, kInt32Min},
    {"fieldSettled", &FieldInput::fieldSettled, kInt32Min},
    {"resolveBusy", &FieldInput::resolveBusy, kInt32Min},
    {"interval", &FieldInput::interval, kInt32Min},
    {"maxTicks", &FieldInput::maxTicks, 0},
};

const FieldHeader* FindFieldHeader(std::string_view name) {
  for (const FieldHeader& header : kFieldHeaders) {
    if (name == header.name) return &header;
  }
  return nullptr;
}

bool ParseFieldRow(const Line& line, int row, FieldInput& field, std::string& error) {
  if (line.words.size() != kFieldColumns) {
    return Fail(error, line.number,
                "row " + std::to_string(row) + " needs 8 kinds, found " +
                    std::to_string(line.words.size()));
  }
  for (int column = 0; column < kFieldColumns; ++column) {
    std::int64_t kind = 0;
    if (!ParseNumber(line, column, kInt32Min, kInt32Max, kind, error)) return false;
    field.kinds[row][column] = static_cast<std::int32_t>(kind);
  }
  return true;
}

// The NAME VALUE lines before the rows, each name at most once. `next` is left
// at the first line that is not one of them.
bool ParseFieldHeaders(const std::vector<Line>& lines, std::size_t& next, FieldInput& field,
                       std::string& error) {
  std::vector<const FieldHeader*> seen;
  for (; next < lines.size(); ++next) {
    const Line& line = lines[next];
    const FieldHeader* header = FindFieldHeader(line.words.front());
    if (header == nullptr) return true;
    if (line.words.size() != 2) return Fail(error, line.number, "expected NAME VALUE");
    for (const FieldHeader* earlier : seen) {
      if (earlier == header) return Fail(error, line.number, Quoted(header->name) + " given twice");
    }
    seen.push_back(header);
    std::int64_t value = 0;
    if (!ParseNumber(line, 1, header->low, kInt32Max, value, error)) return false;
    field.*(header->member) = static_cast<std::int32_t>(value);
  }
  return true;
}

bool ExpectWords(const Line& line, std::size_t count, std::string& error) {
  if (line.words.size() == count) return true;
  return Fail(error, line.number,
              Quoted(line.words.front()) + (count == 2 ? " takes one number" : " takes nothing"));
}

// `seed N` or `level L`: once each, before the first event.
bool ParseSetting(const Line& line, ScriptInput& script, bool& given, std::string& error) {
  const std::string_view name = line.words.front();
  if (!script.events.empty()) return Fail(error, line.number, Quoted(name) + " after events");
  if (given) return Fail(error, line.number, Quoted(name) + " given twice");
  given = true;
  if (!ExpectWords(line, 2, error)) return false;
  const bool isSeed = name == "seed";
  const std::int64_t high = isSeed ? std::numeric_limits<std::uint32_t>::max() : 2;
  std::int64_t value = 0;
  if (!ParseNumber(line, 1, 0, high, value, error)) return false;
  if (isSeed) {
    script.seed = static_cast<std::uint32_t>(value);
  } else {
    script.level = static_cast<std::int32_t>(value);
  }
  return true;
}

bool ParseEvent(const Line& line, ScriptInput& script, std::string& error) {
  const std::string_view name = line.words.front();
  if (name == "tick" || name == "keyup") {
    if (!ExpectWords(line, 1, error)) return false;
    script.events.push_back(Event{name == "tick" ? EventKind::kTick : EventKind::kKeyUp, 0});
    return true;
  }
  if (name != "key") return Fail(error, line.number, "unknown event " + Quoted(name));
  if (!ExpectWords(line, 2, error)) return false;
  std::int64_t key = 0;
  if (!ParseNumber(line, 1, 0, 255, key, error)) return false;
  script.events.push_back(Event{EventKind::kKey, static_cast<std::uint32_t>(key)});
  return true;
}

}  // namespace

bool ParseField(std::string_view text, FieldInput& field, std::string& error) {
  field = FieldInput{};
  const std::vector<Line> lines = MeaningfulLines(text);
  std::size_t next = 0;
  if (!ParseFieldHeaders(lines, next, field, error)) return false;
  int row = 0;
  for (; next < lines.size(); ++next, ++row) {
    if (row == kFieldRows) return Fail(error, lines[next].number, "more than 12 rows");
    if (!ParseFieldRow(lines[next], row, field, error)) return false;
  }
  if (row < kFieldRows) {
    error = "the field needs 12 rows of 8 kinds, found " + std::to_string(row);
    return false;
  }
  return true;
}

bool ParseScript(std::string_view text, ScriptInput& script, std::string& error) {
  script = ScriptInput{};
  bool seedGiven = false;
  bool levelGiven = false;
  for (const Line& line : MeaningfulLines(text)) {
    const std::string_view word = line.words.front();
    const bool ok = word == "seed"    ? ParseSetting(line, script, seedGiven, error)
                    : word == "level" ? ParseSetting(line, script, levelGiven, error)
                                      : ParseEvent(line, script, error);
    if (!ok) return false;
  }
  return true;
}

bool ReplayScript(std::string_view bytes, ScriptInput& script, bool& ok, std::string& error) {
  if (bytes.substr(0, 3) != "MVR") return false;
  Replay replay;
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  ok = DecodeReplay(std::span<const std::uint8_t>(data, bytes.size()), &replay, &error);
  if (!ok) return true;
  script = ScriptInput{};
  script.seed = replay.seed;
  script.level = replay.level;
  script.fieldSettled = replay.fieldSettled;
  script.resolveBusy = replay.resolveBusy;
  for (const ReplayMessage& message : replay.messages) {
    switch (message.kind) {
      case ReplayMessageKind::kTick:
        script.events.push_back(Event{EventKind::kTick, 0});
        break;
      case ReplayMessageKind::kKeyDown:
        script.events.push_back(Event{EventKind::kKey, message.key});
        break;
      case ReplayMessageKind::kKeyUp:
        script.events.push_back(Event{EventKind::kKeyUp, 0});
        break;
    }
  }
  return true;
}

}  // namespace sim
