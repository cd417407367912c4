// Score files for tests, laid out from the file's description rather than by
// the game's own encoder, so that a wrong offset in either shows up.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "platform/call_log.h"
#include "platform/clock.h"
#include "ranking/locked_score_file.h"

namespace ranking_test {

using Bytes = std::vector<std::uint8_t>;

struct Row {
  std::string name, date, score, removed;
  bool operator==(const Row&) const = default;
};
inline void PrintTo(const Row& r, std::ostream* os) {
  *os << '{' << r.name << '|' << r.date << '|' << r.score << '|' << r.removed << '}';
}

constexpr std::size_t kOffset[] = {0, 160, 450, 540};
constexpr std::size_t kWidth[] = {16, 29, 9, 5};

// The stored form of the rows: each text and its NUL (none when it fills its
// field), every other byte `filler`, so that tests see whether a rewrite kept
// the bytes after each NUL.
inline Bytes StoredFile(const std::vector<Row>& rows, char filler = 'x') {
  Bytes bytes(590, static_cast<std::uint8_t>(filler - 0x20));
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const std::string texts[] = {rows[k].name, rows[k].date, rows[k].score, rows[k].removed};
    for (int f = 0; f < 4; ++f) {
      const std::string text = (texts[f] + '\0').substr(0, kWidth[f]);
      for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[kOffset[f] + kWidth[f] * k + i] = static_cast<std::uint8_t>(text[i] - 0x20);
      }
    }
  }
  return bytes;
}

inline Row RowOf(const Bytes& stored, std::size_t k) {
  std::string texts[4];
  for (int f = 0; f < 4; ++f) {
    for (std::size_t i = 0; i < kWidth[f]; ++i) {
      const auto c = static_cast<char>(stored.at(kOffset[f] + kWidth[f] * k + i) + 0x20);
      if (c == '\0') break;
      texts[f] += c;
    }
  }
  return {texts[0], texts[1], texts[2], texts[3]};
}

// Rows with the given scores, named A, B, C... from rank 1 down.
inline std::vector<Row> Rows(const std::vector<int>& scores) {
  std::vector<Row> rows;
  for (std::size_t i = 0; i < scores.size(); ++i) {
    rows.push_back({std::string(1, static_cast<char>('A' + i)), "Mon Jan 01 00:00:00 2001",
                    std::to_string(scores[i]), std::to_string(i)});
  }
  return rows;
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}
inline void WriteFile(const std::string& path, const std::string& text) {
  WriteFile(path, Bytes(text.begin(), text.end()));
}
inline Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Always Saturday 5 December 2026, 16:38:43: a day below 10 in every entry.
class FixedClock final : public platform::Clock {
 public:
  std::int64_t NowMs() override { return 0; }
  std::int64_t UnixSeconds() override { return 0; }
  void SleepUntilMs(std::int64_t) override {}
  std::tm LocalTime() override {
    std::tm time{};
    time.tm_year = 126, time.tm_mon = 11, time.tm_mday = 5, time.tm_wday = 6;
    time.tm_hour = 16, time.tm_min = 38, time.tm_sec = 43;
    return time;
  }
};
constexpr char kEntryDate[] = "Sat Dec 05 16:38:43 2026";

// Each test runs in a fresh directory of its own, on the fixed clock, with the
// platform's calls recorded.
class ScoreFileTest : public testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::string pattern = std::filesystem::temp_directory_path() / "morvex2-ranking-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    std::filesystem::current_path(directory_ = pattern);
    platform::SetGameClock(&clock_);
    platform::SetActiveCallLog(&log_);
  }
  void TearDown() override {
    SetRewriteStepHook(nullptr);
    platform::SetActiveCallLog(nullptr);
    platform::SetGameClock(nullptr);
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(directory_);
  }
  bool Clapped() const {
    return std::any_of(log_.Calls().begin(), log_.Calls().end(), [](const auto& call) {
      return call.name == "PlaySound" && call.text == "Clap.wav";
    });
  }

  FixedClock clock_;
  platform::CallLog log_;
  std::filesystem::path previous_, directory_;
};

}  // namespace ranking_test
