// A score file is never left damaged: whatever stops a rewrite, the file holds
// its old 590 bytes or the new ones; and copies of the game recording at the
// same moment never lose or mix entries.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "ranking/score_table.h"
#include "score_file_helpers.h"

namespace {

using namespace ranking_test;

RewriteStep g_target;
bool CrashAtTarget(RewriteStep step) {
  return step == g_target ? (::_exit(0), false) : true;
}
bool FailAtTarget(RewriteStep step) {
  return step != g_target;
}

// Runs `body` in a child process; true when it exited with status 0.
template <typename Body>
bool InChild(Body body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class RewriteSafetyTest : public ScoreFileTest {
 protected:
  void SetUp() override {
    ScoreFileTest::SetUp();
    WriteFile("zel.ini", "Taro");
    WriteFile("tyuu.pod", old_);
    RecordResult(1, 750, 4);  // an undisturbed rewrite gives the new bytes
    new_ = ReadFile("tyuu.pod");
    log_.Clear();
  }

  const Bytes old_ = StoredFile(Rows({900, 800, 700, 600, 500, 400, 300, 200, 100, 50}));
  Bytes new_;
};

TEST_F(RewriteSafetyTest, ACrashOrAFailureAtAnyStepLeavesTheOldBytesOrTheNewOnes) {
  for (int i = 0; i <= static_cast<int>(RewriteStep::kSyncDirectory); ++i) {
    g_target = static_cast<RewriteStep>(i);
    SCOPED_TRACE(i);
    const bool renamed = g_target > RewriteStep::kReplace;

    WriteFile("tyuu.pod", old_);
    ASSERT_TRUE(
        InChild([] { return SetRewriteStepHook(CrashAtTarget), RecordResult(1, 750, 4), 1; }));
    EXPECT_EQ(ReadFile("tyuu.pod"), renamed ? new_ : old_);
    // The next game records normally over whatever the crash left behind.
    WriteFile("tyuu.pod", old_);
    RecordResult(1, 750, 4);
    EXPECT_EQ(ReadFile("tyuu.pod"), new_);
    EXPECT_FALSE(Clapped());

    // A step the system refuses saves nothing and says so with the clap; only
    // the directory's flush comes after the new file has its name.
    WriteFile("tyuu.pod", old_);
    SetRewriteStepHook(FailAtTarget);
    RecordResult(1, 750, 4);
    SetRewriteStepHook(nullptr);
    EXPECT_EQ(ReadFile("tyuu.pod"), renamed ? new_ : old_);
    EXPECT_EQ(Clapped(), !renamed);
    EXPECT_FALSE(std::filesystem::exists("tyuu.pod.new"));
    log_.Clear();
  }
}

TEST_F(RewriteSafetyTest, CopiesRecordingAtOnceLoseNothingTheyKept) {
  constexpr int kCopies = 6, kGamesEach = 12;
  int gate[2];
  ASSERT_EQ(::pipe(gate), 0);
  std::vector<pid_t> children;
  for (int copy = 0; copy < kCopies; ++copy) {
    if (const pid_t pid = ::fork(); pid != 0) {
      children.push_back(pid);
      continue;
    }
    ::close(gate[1]);
    for (char byte; ::read(gate[0], &byte, 1) > 0;) {
    }
    std::ofstream kept("kept-" + std::to_string(copy));
    bool sound = true;
    for (int game = 0; game < kGamesEach; ++game) {
      // A copy that finds the file in use reads and enters nothing; its player
      // tries the same score again, so the copies keep meeting at the file.
      const int score = 1000 + game * kCopies + copy;
      for (int attempt = 0; attempt < 100000; ++attempt) {
        const auto table = RecordResult(1, score, copy);
        const bool read = (*table)[0].name[0] != '\0';
        sound = sound && (read || (*table)[0].color == kScoreRowWhite);
        if (read) {
          kept << score << std::endl;  // flushed: the child ends with _exit
          break;
        }
      }
    }
    ::_exit(sound ? 0 : 1);
  }
  ::close(gate[0]);
  ::close(gate[1]);  // all go at once
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  // Every result a copy read the file for was entered under the lock, so the
  // file holds the ten best of the old rows and of all those results.
  std::vector<int> best = {900, 800, 700, 600, 500, 400, 300, 200, 100, 50};
  for (int copy = 0; copy < kCopies; ++copy) {
    std::ifstream in("kept-" + std::to_string(copy));
    for (int score; in >> score;) best.push_back(score);
  }
  std::sort(best.rbegin(), best.rend());
  const Bytes file = ReadFile("tyuu.pod");
  ASSERT_EQ(file.size(), 590u);
  for (std::size_t k = 0; k < 10; ++k) {
    const Row row = RowOf(file, k);
    EXPECT_EQ(row.score, std::to_string(best[k])) << "rank " << k + 1;
    if (best[k] >= 1000) {
      EXPECT_EQ(row.removed, std::to_string((best[k] - 1000) % kCopies));
    }
  }
}

}  // namespace
