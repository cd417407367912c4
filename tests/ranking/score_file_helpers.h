// Score files for tests, laid out from the file's description rather than by
// the game's own encoder, so that a wrong offset in either shows up.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/base/call_log.h"
#include "platform/base/clock.h"
#include "platform/win32/host.h"
#include "ranking/locked_score_file.h"
#include "ranking/score_table.h"

namespace ranking_test {

using Bytes = std::vector<std::uint8_t>;

// The four texts of a row: name, date, score, removed count.
using Row = std::array<std::string, 4>;
constexpr std::size_t kOffset[] = {0, 160, 450, 540};
constexpr std::size_t kWidth[] = {16, 29, 9, 5};

// The stored form of the rows: each text and its NUL (none when it fills its
// field), every other byte `filler`, so that tests see whether a rewrite kept
// the bytes after each NUL.
inline Bytes StoredFile(const std::vector<Row>& rows, char filler = 'x') {
  Bytes bytes(590, static_cast<std::uint8_t>(filler - 0x20));
  for (std::size_t k = 0; k < rows.size(); ++k) {
    for (int f = 0; f < 4; ++f) {
      const std::string text = (rows[k][f] + '\0').substr(0, kWidth[f]);
      for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[kOffset[f] + kWidth[f] * k + i] = static_cast<std::uint8_t>(text[i] - 0x20);
      }
    }
  }
  return bytes;
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

template <typename Text>  // std::string or Bytes
void WriteFile(const std::string& path, const Text& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}
inline Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool ExitedWithZero(pid_t child) {
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Records `score` for the middle level in a child process that is killed at
// `step` of the rewrite, as a crash or a power cut would stop the game there;
// true when it got that far.
inline RewriteStep g_killedAt;
inline bool RecordKilledAt(RewriteStep step, int score) {
  g_killedAt = step;
  const pid_t child = ::fork();
  if (child == 0) {
    SetRewriteStepHook(
        [](RewriteStep at) { return at == g_killedAt ? (::_exit(0), false) : true; });
    RecordResult(1, score, 4);
    ::_exit(1);
  }
  return ExitedWithZero(child);
}

// The date of every entry: a day below 10. Tests run in UTC.
constexpr char kEntryDate[] = "Sat Dec 05 16:38:43 2026";

// Each test runs in a fresh directory of its own, on a clock fixed at that
// date, with the platform's calls recorded.
class ScoreFileTest : public testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::string pattern = std::filesystem::temp_directory_path() / "morvex2-ranking-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    std::filesystem::current_path(directory_ = pattern);
    platform::InstallHost({.clock = &clock_, .calls = &log_});
  }
  void TearDown() override {
    SetRewriteStepHook(nullptr);
    platform::UninstallHost();
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(directory_);
  }
  bool Clapped() const {
    return std::any_of(log_.Calls().begin(), log_.Calls().end(), [](const auto& call) {
      return call.name == "PlaySound" && call.text == "Clap.wav";
    });
  }

  platform::VirtualClock clock_{0, 1796488723};
  platform::CallLog log_;
  std::filesystem::path previous_, directory_;
};

}  // namespace ranking_test
