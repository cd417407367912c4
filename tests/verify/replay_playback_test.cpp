// The shared playback: every committed game comes out as its .result says,
// a game edited after the fact does not, and a playback leaves the program's
// globals as it found them (the server plays many games in one process).
#include "verify/replay_playback.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "core/globals.h"
#include "core/replay_file.h"
#include "core/scene_switch.h"
#include "play/play_scene.h"

namespace {

Replay Committed(const std::string& name) {
  Replay replay;
  std::string error;
  EXPECT_TRUE(ReadReplayFile(std::string(MORVEX2_SOURCE_DIR "/tests/replays/") + name + ".mvr",
                             &replay, &error))
      << error;
  return replay;
}

TEST(ReplayPlaybackTest, CommittedGamesComeOutAsRecorded) {
  for (const char* name : {"advanced_chain", "beginner", "escape_while_clearing", "middle"}) {
    const Replay replay = Committed(name);
    const PlaybackResult played = PlayBackReplay(replay);
    EXPECT_TRUE(Reproduces(replay, played)) << name;
    std::ifstream in(std::string(MORVEX2_SOURCE_DIR "/tests/replays/") + name + ".result");
    std::string level, levelValue, score, scoreValue, removed, removedValue, ending;
    in >> level >> levelValue >> score >> scoreValue >> removed >> removedValue >> ending;
    EXPECT_EQ(std::to_string(played.score), scoreValue) << name;
    EXPECT_EQ(std::to_string(played.removedCount), removedValue) << name;
    EXPECT_EQ(played.ending == ReplayEnding::kGameOver ? "game-over" : "left", ending) << name;
    EXPECT_EQ(played.delivered, replay.messages.size()) << name;
  }
}

TEST(ReplayPlaybackTest, EditedGamesDoNot) {
  const Replay original = Committed("middle");
  const struct {
    const char* what;
    void (*edit)(Replay&);
  } rows[] = {
      {"score", [](Replay& r) { r.score += 10; }},
      {"removed count", [](Replay& r) { r.removedCount -= 1; }},
      {"ending", [](Replay& r) { r.ending = ReplayEnding::kLeft; }},
      {"seed", [](Replay& r) { r.seed += 1; }},
      {"a message more after the end", [](Replay& r) { r.messages.push_back(r.messages.back()); }},
      {"the last message gone", [](Replay& r) { r.messages.pop_back(); }},
  };
  for (const auto& row : rows) {
    Replay edited = original;
    row.edit(edited);
    EXPECT_FALSE(Reproduces(edited, PlayBackReplay(edited))) << row.what;
  }
}

TEST(ReplayPlaybackTest, APlaybackPutsBackTheGlobalsItChanged) {
  SetLevel(2);
  g_fieldSettled = 5;
  g_resolveBusy = 6;
  SetLastResult(7, 8);
  const Replay replay = Committed("escape_while_clearing");
  (void)PlayBackReplay(replay);
  EXPECT_EQ(GetLevel(), 2);
  EXPECT_EQ(g_fieldSettled, 5);
  EXPECT_EQ(g_resolveBusy, 6);
  int score = 0;
  int removed = 0;
  GetLastResult(&score, &removed);
  EXPECT_EQ(score, 7);
  EXPECT_EQ(removed, 8);
  // The game's own switch is gone with the playback: nothing notes a switch.
  ChangeScene(Ranking);
  SetLevel(0);
  g_fieldSettled = 0;
  g_resolveBusy = 0;
  SetLastResult(0, 0);
}

}  // namespace
