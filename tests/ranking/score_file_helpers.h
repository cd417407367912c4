// Score files for tests, laid out here from the file's description rather
// than through the game's own encoder, so a wrong offset in either shows up.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/call_log.h"
#include "platform/clock.h"
#include "ranking/locked_score_file.h"

namespace ranking_test {

using Bytes = std::vector<std::uint8_t>;

// One row in plain text. A text of the field's full width has no NUL.
struct Row {
  std::string name;
  std::string date;
  std::string score;
  std::string removed;
};

enum Block { kNames, kDates, kScores, kRemoved };
constexpr std::size_t kBlockOffset[] = {0, 160, 450, 540};
constexpr std::size_t kBlockWidth[] = {16, 29, 9, 5};

// The plain bytes of a file: each text and its NUL at its place, every other
// byte `filler` (bytes after a NUL carry no meaning, so tests fill them with
// something recognisable and check that a rewrite keeps it).
inline Bytes PlainFile(const std::vector<Row>& rows, char filler = '\0') {
  Bytes plain(590, static_cast<std::uint8_t>(filler));
  for (std::size_t k = 0; k < rows.size() && k < 10; ++k) {
    const std::string* texts[] = {&rows[k].name, &rows[k].date, &rows[k].score, &rows[k].removed};
    for (int block = 0; block < 4; ++block) {
      const std::size_t at = kBlockOffset[block] + kBlockWidth[block] * k;
      const std::string& text = *texts[block];
      for (std::size_t i = 0; i < text.size() && i < kBlockWidth[block]; ++i) {
        plain[at + i] = static_cast<std::uint8_t>(text[i]);
      }
      if (text.size() < kBlockWidth[block]) plain[at + text.size()] = 0;
    }
  }
  return plain;
}

inline Bytes Stored(Bytes plain) {
  for (auto& b : plain) b = static_cast<std::uint8_t>(b - 0x20);
  return plain;
}

inline Bytes StoredFile(const std::vector<Row>& rows, char filler = '\0') {
  return Stored(PlainFile(rows, filler));
}

// The text of one field of a stored file, up to its NUL or the field's end.
inline std::string FieldText(const Bytes& stored, Block block, std::size_t k) {
  std::string text;
  const std::size_t at = kBlockOffset[block] + kBlockWidth[block] * k;
  for (std::size_t i = 0; i < kBlockWidth[block] && at + i < stored.size(); ++i) {
    const auto plain = static_cast<char>(stored[at + i] + 0x20);
    if (plain == '\0') break;
    text.push_back(plain);
  }
  return text;
}

inline Row RowOf(const Bytes& stored, std::size_t k) {
  return {FieldText(stored, kNames, k), FieldText(stored, kDates, k), FieldText(stored, kScores, k),
          FieldText(stored, kRemoved, k)};
}

inline bool operator==(const Row& a, const Row& b) {
  return a.name == b.name && a.date == b.date && a.score == b.score && a.removed == b.removed;
}

inline void PrintTo(const Row& row, std::ostream* os) {
  *os << "{" << row.name << "|" << row.date << "|" << row.score << "|" << row.removed << "}";
}

// Ten rows with the given scores, named A, B, C... from rank 1 down.
inline std::vector<Row> RowsWithScores(const std::vector<int>& scores) {
  std::vector<Row> rows;
  for (std::size_t k = 0; k < scores.size(); ++k) {
    rows.push_back({std::string(1, static_cast<char>('A' + k)), "Mon Jan 01 00:00:00 2001",
                    std::to_string(scores[k]), std::to_string(k)});
  }
  return rows;
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

inline void WriteFile(const std::string& path, const std::string& text) {
  WriteFile(path, Bytes(text.begin(), text.end()));
}

inline Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A clock that always says the same local time.
class FixedClock final : public platform::Clock {
 public:
  explicit FixedClock(std::tm time) : time_(time) {}
  std::int64_t NowMs() override { return 0; }
  std::int64_t UnixSeconds() override { return 0; }
  std::tm LocalTime() override { return time_; }
  void SleepUntilMs(std::int64_t) override {}
  void Set(std::tm time) { time_ = time; }

 private:
  std::tm time_;
};

// Saturday 5 December 2026, 16:38:43.
inline std::tm EntryTime() {
  std::tm time{};
  time.tm_year = 2026 - 1900;
  time.tm_mon = 11;
  time.tm_mday = 5;
  time.tm_wday = 6;
  time.tm_hour = 16;
  time.tm_min = 38;
  time.tm_sec = 43;
  return time;
}
constexpr char kEntryDate[] = "Sat Dec 05 16:38:43 2026";

// Each test runs in a fresh empty directory of its own, with the clock fixed
// and the platform's calls recorded.
class ScoreFileTest : public testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "morvex2-ranking-XXXXXX");
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    directory_ = pattern;
    std::filesystem::current_path(directory_);
    platform::SetGameClock(&clock_);
    platform::SetActiveCallLog(&log_);
  }

  void TearDown() override {
    SetRewriteStepHook(nullptr);
    platform::SetActiveCallLog(nullptr);
    platform::SetGameClock(nullptr);
    std::filesystem::current_path(previous_);
    std::filesystem::permissions(directory_, std::filesystem::perms::owner_all);
    std::filesystem::remove_all(directory_);
  }

  bool ClapPlayed() const {
    for (const auto& call : log_.Calls()) {
      if (call.name == "PlaySound" && call.text == "Clap.wav") return true;
    }
    return false;
  }

  FixedClock clock_{EntryTime()};
  platform::CallLog log_;
  std::filesystem::path previous_;
  std::filesystem::path directory_;
};

}  // namespace ranking_test
