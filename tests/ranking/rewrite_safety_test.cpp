// A score file is never left damaged: whatever stops a rewrite, the file holds
// its old 590 bytes or the new ones; and two copies of the game recording at
// the same moment never lose or mix entries.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "ranking/score_table.h"
#include "score_file_helpers.h"

namespace {

using namespace ranking_test;

constexpr RewriteStep kAllSteps[] = {
    RewriteStep::kCreateTemporary, RewriteStep::kWriteNames,        RewriteStep::kWriteDates,
    RewriteStep::kWriteScoreTexts, RewriteStep::kWriteRemovedTexts, RewriteStep::kSyncTemporary,
    RewriteStep::kReplace,         RewriteStep::kSyncDirectory,
};

RewriteStep g_targetStep;

bool CrashAtTarget(RewriteStep step) {
  if (step == g_targetStep) ::_exit(0);
  return true;
}

bool FailAtTarget(RewriteStep step) {
  return step != g_targetStep;
}

// Runs `body` in a child process and returns its exit status (-1 if killed).
template <typename Body>
int InChild(Body body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class RewriteSafetyTest : public ScoreFileTest {
 protected:
  void SetUp() override {
    ScoreFileTest::SetUp();
    old_ = StoredFile(RowsWithScores({90, 80, 70, 60, 50, 40, 30, 20, 10, 5}), 'x');
    WriteFile("zel.ini", "Taro");
    // The new bytes, from an undisturbed run.
    WriteFile("tyuu.pod", old_);
    RecordResult(1, 75, 4);
    new_ = ReadFile("tyuu.pod");
    ASSERT_NE(new_, old_);
    WriteFile("tyuu.pod", old_);
    log_.Clear();
  }

  Bytes old_;
  Bytes new_;
};

TEST_F(RewriteSafetyTest, ACrashAtAnyStepLeavesTheOldBytesOrTheNewOnes) {
  for (RewriteStep step : kAllSteps) {
    g_targetStep = step;
    const int status = InChild([] {
      SetRewriteStepHook(CrashAtTarget);
      RecordResult(1, 75, 4);
      return 1;  // the crash never came
    });
    ASSERT_EQ(status, 0);
    const bool replaced = step > RewriteStep::kReplace;
    EXPECT_EQ(ReadFile("tyuu.pod"), replaced ? new_ : old_) << "crash before step " << int(step);

    // The next game records normally over whatever the crash left behind.
    WriteFile("tyuu.pod", old_);
    RecordResult(1, 75, 4);
    EXPECT_EQ(ReadFile("tyuu.pod"), new_) << "after a crash before step " << int(step);
    EXPECT_FALSE(std::filesystem::exists("tyuu.pod.new"));
    WriteFile("tyuu.pod", old_);
  }
  EXPECT_FALSE(ClapPlayed());
}

TEST_F(RewriteSafetyTest, AStepThatFailsSavesNothingAndPlaysTheClap) {
  for (RewriteStep step : kAllSteps) {
    g_targetStep = step;
    log_.Clear();
    SetRewriteStepHook(FailAtTarget);
    auto table = RecordResult(1, 75, 4);
    SetRewriteStepHook(nullptr);
    // Once the new file has its name, only its flush to disk is left: the
    // result is saved and nothing is announced.
    const bool saved = step == RewriteStep::kSyncDirectory;
    EXPECT_EQ(ReadFile("tyuu.pod"), saved ? new_ : old_) << "failed step " << int(step);
    EXPECT_EQ(ClapPlayed(), !saved) << "failed step " << int(step);
    EXPECT_FALSE(std::filesystem::exists("tyuu.pod.new")) << "failed step " << int(step);
    EXPECT_STREQ((*table)[2].scoreText, "75");
    WriteFile("tyuu.pod", old_);
  }
}

TEST_F(RewriteSafetyTest, AFullDiskSavesNothingAndPlaysTheClap) {
  const int status = InChild([] {
    // The file-size limit makes the write of the new file fail part-way, as a
    // full disk would.
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{300, 300};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    platform::CallLog log;
    platform::SetActiveCallLog(&log);
    RecordResult(1, 75, 4);
    const auto& calls = log.Calls();
    return std::any_of(calls.begin(), calls.end(),
                       [](const auto& call) { return call.name == "PlaySound"; })
               ? 7
               : 1;
  });
  EXPECT_EQ(status, 7) << "no clap";
  EXPECT_EQ(ReadFile("tyuu.pod"), old_);
  EXPECT_FALSE(std::filesystem::exists("tyuu.pod.new"));
}

TEST_F(RewriteSafetyTest, CopiesRecordingAtOnceLoseNothingTheyKept) {
  constexpr int kCopies = 6;
  constexpr int kGamesEach = 12;
  int gate[2];
  ASSERT_EQ(::pipe(gate), 0);
  std::vector<pid_t> children;
  for (int copy = 0; copy < kCopies; ++copy) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(gate[1]);
      char byte;
      while (::read(gate[0], &byte, 1) > 0) {
      }
      std::ofstream kept("kept-" + std::to_string(copy));
      int failures = 0;
      for (int game = 0; game < kGamesEach; ++game) {
        const int score = 1000 + game * kCopies + copy;
        // A player whose result was not taken plays again with the same score,
        // so every copy keeps meeting the others at the file.
        for (int attempt = 0; attempt < 100000; ++attempt) {
          auto table = RecordResult(1, score, copy);
          const bool read = (*table)[0].name[0] != '\0';
          int red = 0;
          for (const ScoreRecord& record : *table) {
            if (record.color == kScoreRowRed) ++red;
          }
          // A copy that found the file in use has read nothing and entered nothing.
          if (!read && red != 0) ++failures;
          if (read) {
            kept << score << '\n';
            break;
          }
        }
      }
      kept.close();
      ::_exit(failures == 0 ? 0 : 1);
    }
    children.push_back(pid);
  }
  ::close(gate[0]);
  ::close(gate[1]);  // let them all go at once
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  // Whoever got the file entered a complete result under the lock, so the
  // file must hold the ten best of the old rows and of every result kept.
  std::vector<int> best = {90, 80, 70, 60, 50, 40, 30, 20, 10, 5};
  int kept = 0;
  for (int copy = 0; copy < kCopies; ++copy) {
    std::ifstream in("kept-" + std::to_string(copy));
    for (int score; in >> score; ++kept) best.push_back(score);
  }
  std::sort(best.rbegin(), best.rend());
  best.resize(10);
  EXPECT_GT(kept, 0);

  const Bytes file = ReadFile("tyuu.pod");
  ASSERT_EQ(file.size(), 590u);
  for (std::size_t k = 0; k < 10; ++k) {
    const Row row = RowOf(file, k);
    EXPECT_EQ(row.score, std::to_string(best[k])) << "rank " << k + 1;
    if (best[k] >= 1000) {
      EXPECT_EQ(row.name, "Taro");
      EXPECT_EQ(row.removed, std::to_string((best[k] - 1000) % kCopies));
      EXPECT_EQ(row.date, kEntryDate);
    }
  }
  EXPECT_FALSE(ClapPlayed());
  EXPECT_FALSE(std::filesystem::exists("tyuu.pod.new"));
}

}  // namespace
