// Every game is kept as a replay, and a replay shows the game again exactly:
// the same frames, the same result. Playback and recording both run the whole
// program on the headless host.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/replay_recorder.h"
#include "tests/e2e/replay_run.h"
#include "tests/support/headless/png_files.h"

namespace fs = std::filesystem;

namespace {

// A wait to the end of the replay at normal speed, and a little more.
std::string UntilTheEnd(const Replay& replay) {
  return "wait " + std::to_string(replay.messages.back().timeMs + 500) + "\n";
}

std::map<std::string, std::string> FolderContents(const fs::path& folder) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : fs::directory_iterator(folder)) {
    contents[entry.path().filename().string()] = FileText(entry.path());
  }
  return contents;
}

using ReplayRun = GameRunTest;

// The beginner level ticks every two seconds, so a frame taken in the middle
// of a tick's interval shows the same field however the frames fall.
TEST_F(ReplayRun, AGamePlaysBackToTheSameFramesAndResult) {
  // Start comes 406 ms in, the first tick 2 s later spawns a piece, and the
  // frames are taken about 4.2 s and 7.5 s after Start.
  const Replay replay =
      RecordGame(folder_, StartGame("UP") + "wait 3700\n" + Capture("rec-1.png") +
                              "wait 200\nkey LEFT\nwait 100\nkey UP\nwait 3000\n" +
                              Capture("rec-2.png") + DropUntilOver(60));
  ASSERT_EQ(replay.level, 2);
  ASSERT_EQ(replay.ending, ReplayEnding::kGameOver);

  const Playback playback = PlayBack(folder_, replay,
                                     "wait 4100\n" + Capture("play-1.png") + "wait 3400\n" +
                                         Capture("play-2.png") + UntilTheEnd(replay));
  EXPECT_EQ(playback.outcome, ReplayPlayer::Outcome::kReproduced) << playback.said;
  EXPECT_EQ(playback.said, "replay reproduced: level 2, score " + std::to_string(replay.score) +
                               ", removed " + std::to_string(replay.removedCount) +
                               ", game over\n");
  for (const char* shot : {"1", "2"}) {
    const auto recorded = platform::ReadPngFile(Shot(std::string("rec-") + shot + ".png"));
    const auto shown = platform::ReadPngFile(Shot(std::string("play-") + shot + ".png"));
    ASSERT_TRUE(recorded && shown) << shot;
    EXPECT_TRUE(*recorded == *shown) << "frame " << shot << " differs";
  }
}

TEST_F(ReplayRun, TheLastGameIsKeptAndTheBestBesideItsTable) {
  // An advanced game that takes first place in an empty table.
  const Replay first = RecordGame(folder_, StartGame("DOWN") + DropUntilOver(150));
  ASSERT_EQ(first.level, 0);
  ASSERT_EQ(first.ending, ReplayEnding::kGameOver);
  ASSERT_GT(first.score, 0);
  EXPECT_EQ(FollowReplay(first).score, first.score);
  const std::string kept = FileText(folder_ / "last.mvr");
  EXPECT_EQ(FileText(folder_ / "zyou-best.mvr"), kept);
  EXPECT_FALSE(fs::exists(folder_ / "tyuu-best.mvr") || fs::exists(folder_ / "syo-best.mvr"));

  // A game left with ESC replaces the last game only.
  const Replay left = RecordGame(folder_, StartGame("DOWN") + "wait 3000\nkey ESC\n");
  EXPECT_EQ(left.ending, ReplayEnding::kLeft);
  EXPECT_NE(FileText(folder_ / "last.mvr"), kept);
  EXPECT_EQ(FileText(folder_ / "zyou-best.mvr"), kept);

  // A game that enters below first place leaves the best game alone.
  // A first row that no game here reaches.
  std::ofstream(folder_ / "zyou.pod", std::ios::binary) << OneRowTable("HOLDER", "9999999");
  const Replay second = RecordGame(folder_, StartGame("DOWN") + DropUntilOver(150), 1796500000);
  ASSERT_EQ(second.ending, ReplayEnding::kGameOver);
  ASSERT_NE(second, first);
  EXPECT_EQ(FileText(folder_ / "zyou-best.mvr"), kept);

  // Neither the tables nor the name were taken for replays.
  for (const char* name : {"zyou.pod", "tyuu.pod", "syo.pod"}) {
    EXPECT_EQ(fs::file_size(folder_ / name), 590u) << name;
  }
}

TEST_F(ReplayRun, PlaybackWritesNothing) {
  const Replay replay = RecordGame(folder_, StartGame("DOWN") + DropUntilOver(150));
  ASSERT_EQ(replay.ending, ReplayEnding::kGameOver);
  fs::remove(folder_ / "zyou-best.mvr");
  const auto before = FolderContents(folder_);
  const Playback playback = PlayBack(folder_, replay, UntilTheEnd(replay));
  EXPECT_EQ(playback.outcome, ReplayPlayer::Outcome::kReproduced) << playback.said;
  EXPECT_TRUE(FolderContents(folder_) == before);
}

// The player's keys: ESC ends at once, and a changed replay is said to differ.
TEST_F(ReplayRun, PlaybackCanBeStoppedAndTellsAGameThatDoesNotComeOutTheSame) {
  Replay replay = RecordGame(folder_, StartGame("") + DropUntilOver(150));
  ASSERT_EQ(replay.ending, ReplayEnding::kGameOver);

  Playback stopped = PlayBack(folder_, replay, "wait 3000\nkey ESC\n");
  EXPECT_EQ(stopped.outcome, ReplayPlayer::Outcome::kStopped);
  EXPECT_EQ(stopped.run.exitCode, 0);
  EXPECT_EQ(stopped.said.rfind("replay stopped by the player", 0), 0u) << stopped.said;

  ++replay.seed;  // other colours: the same keys make another game
  const Playback other = PlayBack(folder_, replay, UntilTheEnd(replay));
  EXPECT_EQ(other.outcome, ReplayPlayer::Outcome::kDiffers);
  EXPECT_EQ(other.said.rfind("replay did NOT reproduce: recorded score", 0), 0u) << other.said;
}

// RETURN holds the replay and SPACE doubles its speed: held for 5 s, then at
// double speed, it ends 5 s later than half its length, not before.
TEST_F(ReplayRun, PauseAndDoubleSpeedOnlyChangeThePace) {
  const Replay replay = RecordGame(folder_, StartGame("") + DropUntilOver(150));
  ASSERT_EQ(replay.ending, ReplayEnding::kGameOver);
  const std::int64_t length = replay.messages.back().timeMs;
  ASSERT_GT(length, 6000);
  const std::int64_t ends = 1000 + 5000 + (length - 1000) / 2;
  for (const std::int64_t margin : {-300, 300}) {
    const Playback paced =
        PlayBack(folder_, replay,
                 "wait 1000\nkey RETURN\nwait 5000\nkey RETURN\nkey SPACE\nwait " +
                     std::to_string(ends + margin - 6000) + "\n");
    EXPECT_EQ(paced.outcome,
              margin < 0 ? ReplayPlayer::Outcome::kRunning : ReplayPlayer::Outcome::kReproduced)
        << margin << " " << paced.said;
  }
}

// The files beside last.mvr that a write of it left, killed before it was done.
std::vector<std::string> Leftovers(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("last.mvr.")) names.push_back(name);
  }
  return names;
}

// A replay is put in place whole: killed while writing it, the game leaves
// the last replay as it was, and the next game that is kept removes what the
// killed writes left beside it.
TEST_F(ReplayRun, AGameKilledWhileKeepingItsReplayLeavesTheOldOne) {
  RecordGame(folder_, StartGame("") + "wait 2000\nkey ESC\n");
  const std::string old = FileText(folder_ / "last.mvr");
  ASSERT_FALSE(old.empty());
  const std::string newGame = StartGame("") + "wait 4000\nkey LEFT\nwait 500\nkey ESC\n";
  for (const rlim_t limit : {0, 16, 40}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Writing past `limit` bytes kills the process, as a crash would.
      const rlimit most{limit, limit};
      setrlimit(RLIMIT_FSIZE, &most);
      RecordGame(folder_, newGame);
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << limit;
    EXPECT_EQ(FileText(folder_ / "last.mvr"), old) << limit;
  }
  // Each killed write removed the one before it; the last one's is still
  // there, and one more as another crash would leave it.
  std::ofstream(folder_ / "last.mvr.new.a1B2c3") << "MVR";
  EXPECT_EQ(Leftovers(folder_).size(), 2u);
  const Replay kept = RecordGame(folder_, newGame);
  EXPECT_NE(FileText(folder_ / "last.mvr"), old);
  EXPECT_EQ(kept.ending, ReplayEnding::kLeft);
  EXPECT_EQ(Leftovers(folder_), std::vector<std::string>{});
}

}  // namespace
