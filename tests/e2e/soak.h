// The soak: a bot plays whole sessions of the real program on the headless
// host (title, each level, pauses, fast drops, moves and turns in random
// bursts, the focus lost and regained at random moments, games played to the
// end or left with ESC, mid-clearing too, the ranking screen, F1, back) and
// checks the game after every message and every frame:
//   - every cell of the field and the preview holds a kind the game knows;
//   - within a game the score and the removed count never go backwards;
//   - the ranking screen shows at most one red row;
//   - every score file is 590 bytes, and its table is in order (the bot's
//     folder starts with empty tables, which only the game writes); these
//     are looked at whenever the screen changes, the only time they are written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct SoakFigures {
  int games = 0;  // started, then ended at game over or with ESC
  int sessions = 0;
  std::int64_t checks = 0;  // one after every message and every frame
  std::int64_t findings = 0;
  std::vector<std::string> firstFindings;  // the first few, for the report
};

// Called before every check with the number of checks made so far: a test
// plants a fault through it to show that the checks catch it.
using SoakFault = std::function<void(std::int64_t check)>;

// Plays at least `games` games in `folder` (set up with MakeWorkingFolder),
// in sessions of a few games each, from the random seed `seed`. `resting`
// lets the clock jump between messages as the real host sleeps
// (HeadlessHost::SetResting): many more games in the same time.
SoakFigures RunSoak(const std::filesystem::path& folder, int games, std::uint32_t seed,
                    const SoakFault& fault = {}, bool resting = false);
