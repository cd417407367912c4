#include "tests/e2e/soak.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "app/scene_switch.h"
#include "core/globals.h"
#include "core/scene_switch.h"
#include "play/play_scene.h"
#include "ranking/ranking_scene.h"
#include "ranking/score_file.h"
#include "tests/e2e/game_run.h"

namespace fs = std::filesystem;

namespace {

// A session ends at the title after this many games, and the program starts
// again: start-up and shutdown are part of the soak.
constexpr int kGamesPerSession = 12;
constexpr std::size_t kFindingsKept = 20;

bool IsKnownKind(std::int32_t kind) {
  return kind == kEmpty || kind == kFlask || kind == kBurst || IsRestingPin(kind) ||
         IsBalloon(kind) || IsFlyingPin(kind);
}

class SoakBot {
 public:
  SoakBot(SoakFigures& figures, int games, std::uint32_t seed, const SoakFault& fault, bool resting)
      : figures_(figures), target_(games), random_(seed), fault_(fault), resting_(resting) {}

  void Watch(platform::HeadlessHost& host) {
    host.SetResting(resting_);
    if (fault_) fault_(figures_.checks);
    ++figures_.checks;
    Check();
    if (host.ScriptDone()) {
      std::vector<platform::HostStep> steps;
      std::string error;
      // A wait at the end keeps the host from closing before the next burst.
      const std::string burst = NextBurst() + Wait(1, 30);
      if (!platform::ParseHostScript(burst, &steps, &error)) Report("bot: " + error);
      host.AppendSteps(steps);
    }
  }

  bool SessionOver() const { return sessionGames_ >= kGamesPerSession; }
  void StartSession() { sessionGames_ = 0; }
  void Report(const std::string& finding) {
    if (figures_.firstFindings.size() < kFindingsKept) figures_.firstFindings.push_back(finding);
    ++figures_.findings;
  }

 private:
  void Check() {
    const Scene* scene = g_currentScene;
    if (scene != lastScene_) {
      if (lastScene_ == g_playScene && g_playScene != nullptr) ++figures_.games, ++sessionGames_;
      if (scene == g_playScene) lastScore_ = lastRemoved_ = 0;
      lastScene_ = scene;
      CheckScoreFiles();
    }
    if (g_playScene != nullptr && scene == g_playScene) CheckPlay(*g_playScene);
    if (g_rankingScene != nullptr && scene == g_rankingScene && g_rankingScene->table) {
      int red = 0;
      for (const ScoreRecord& record : *g_rankingScene->table) red += record.color == kScoreRowRed;
      if (red > 1) Report(std::to_string(red) + " red rows on the ranking screen");
    }
  }

  void CheckPlay(const PlayScene& play) {
    for (int column = 0; column < kFieldColumns; ++column) {
      for (int row = 0; row < kFieldRows; ++row) {
        if (!IsKnownKind(play.At(column, row).kind)) {
          Report("cell " + std::to_string(column) + "," + std::to_string(row) + " holds kind " +
                 std::to_string(play.At(column, row).kind));
        }
      }
    }
    for (const Cell& cell : play.next) {
      if (!IsKnownKind(cell.kind)) Report("preview holds kind " + std::to_string(cell.kind));
    }
    if (play.score < lastScore_ || play.removedCount < lastRemoved_) {
      Report("counters went back from " + std::to_string(lastScore_) + "/" +
             std::to_string(lastRemoved_) + " to " + std::to_string(play.score) + "/" +
             std::to_string(play.removedCount));
    }
    lastScore_ = play.score;
    lastRemoved_ = play.removedCount;
  }

  // Whenever the screen changes: the files are written only as the ranking
  // screen starts, and nothing else changes them.
  void CheckScoreFiles() {
    for (int level = 0; level < 3; ++level) {
      const char* name = ScoreFileName(level);
      struct stat status {};
      if (::stat(name, &status) != 0 || status.st_size != 590) {
        Report(std::string(name) + " is not 590 bytes");
        continue;
      }
      const std::string bytes = FileText(name);
      ScoreTable table{};
      DecodeScoreFile(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), table);
      for (int k = 1; k < 10; ++k) {
        if (table[k].score > table[k - 1].score) Report(std::string(name) + " is out of order");
      }
    }
  }

  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool OneIn(int n) { return Between(1, n) == 1; }
  std::string Wait(int low, int high) {
    return "wait " + std::to_string(Between(low, high)) + "\n";
  }

  std::string NextBurst() {
    if (g_appActive == 0) return "focus 1\n" + Wait(1, 30);
    if (g_currentScene == g_playScene && g_playScene != nullptr) return PlayBurst();
    if (g_currentScene == g_rankingScene) {
      std::string burst = Wait(20, 300);
      if (OneIn(4)) burst += "key F1\nkey SPACE\n";
      if (OneIn(6)) burst += "focus 0\n" + Wait(1, 100) + "focus 1\n";
      return burst + "key RETURN\n" + Wait(20, 100);
    }
    // The title screen.
    if (SessionOver() || figures_.games >= target_) return "key ESC\n";
    if (OneIn(6)) return "key F1\n" + Wait(20, 200);
    std::string burst = Wait(1, 150);
    for (int i = Between(0, 3); i > 0; --i) burst += (OneIn(2) ? "key UP\n" : "key DOWN\n");
    return burst + "key RETURN\n" + Wait(1, 50);
  }

  std::string PlayBurst() {
    const PlayScene& play = *g_playScene;
    std::string burst = play.paused == Pause::kPaused ? "key RETURN\n" : "";
    for (int i = Between(1, 4); i > 0; --i) {
      // ESC now and then, most often while a landing is being cleared.
      if (OneIn(play.phase == Phase::kClearing ? 25 : 150))
        return burst + "key ESC\n" + Wait(1, 50);
      switch (Between(0, 11)) {
        case 0:
        case 1:
        case 2:
          burst += "down DOWN\n" + Wait(10, 400) + "up DOWN\n";
          break;
        case 3:
          burst += "down DOWN\n" + Wait(100, 700) + "repeat DOWN\n" + Wait(5, 40) +
                   "repeat DOWN\n" + Wait(5, 40) + "up DOWN\n";
          break;
        case 4:
        case 5:
        case 6: {
          static const char* const kTaps[] = {"key LEFT\n", "key RIGHT\n", "key UP\n",
                                              "key SPACE\n"};
          for (int n = Between(1, 4); n > 0; --n) burst += kTaps[Between(0, 3)];
          break;
        }
        case 7:
          burst += Wait(1, 600);
          break;
        case 8:
          burst += "key RETURN\n" + Wait(1, 300) + "key RETURN\n";
          break;
        case 9:
          burst += "focus 0\n" + Wait(0, 200) + (OneIn(2) ? "key LEFT\n" : "") + "focus 1\n";
          break;
        case 10:  // the focus lost with DOWN held: its release is lost too
          burst += "down DOWN\n" + Wait(1, 100) + "focus 0\nup DOWN\n" + Wait(0, 100) + "focus 1\n";
          break;
        default:
          burst += "down SPACE\nwait 5\nup SPACE\nkey DOWN\n";
          break;
      }
    }
    return burst;
  }

  SoakFigures& figures_;
  int target_;
  int sessionGames_ = 0;
  std::mt19937 random_;
  const SoakFault& fault_;
  bool resting_;
  const Scene* lastScene_ = nullptr;
  std::int32_t lastScore_ = 0;
  std::int32_t lastRemoved_ = 0;
};

}  // namespace

SoakFigures RunSoak(const fs::path& folder, int games, std::uint32_t seed, const SoakFault& fault,
                    bool resting) {
  SoakFigures figures;
  SoakBot bot(figures, games, seed, fault, resting);
  while (figures.games < games && figures.findings == 0) {
    bot.StartSession();
    const int before = figures.games;
    // Each session starts at another second: other colours, other dates.
    const GameRun run = RunGame(folder, "wait 50\n", 1796488723 + figures.sessions * 7919,
                                [&bot](platform::HeadlessHost& host) { bot.Watch(host); });
    ++figures.sessions;
    if (run.exitCode != 0) bot.Report("session ended with " + std::to_string(run.exitCode));
    if (!Named(run.calls, "MessageBox").empty()) bot.Report("a message box was shown");
    if (figures.games == before) bot.Report("a session played no game");
    // Long runs say how far they are, one line a session.
    if (std::getenv("MORVEX2_SOAK_PROGRESS") != nullptr) {
      std::fprintf(stderr, "soak: %d games, %d sessions, %lld checks, %lld findings\n",
                   figures.games, figures.sessions, static_cast<long long>(figures.checks),
                   static_cast<long long>(figures.findings));
    }
  }
  return figures;
}
