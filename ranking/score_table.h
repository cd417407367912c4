// A level's ten best results, and the score files that keep them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/win32/win32.h"

// One row of a table, in plain form. Every text field is one byte wider than
// its stored width, so a text that fills its field in the file still ends in
// a NUL here.
struct ScoreRecord {
  std::int32_t score;  // the value of scoreText; only used to find a new result's place
  COLORREF color;      // white for rows from the file, red for the row entered just now
  char name[17];
  char date[30];
  char scoreText[10];
  char removedText[6];
};

// Index 0 is rank 1. The order is the file's: a table is never sorted, the
// ranks come only from where each result was entered.
using ScoreTable = std::array<ScoreRecord, 10>;

constexpr COLORREF kScoreRowWhite = 0xFFFFFF;
constexpr COLORREF kScoreRowRed = 0x0000FF;

// "zyou.pod", "tyuu.pod" or "syo.pod" for levels 0, 1 and 2, in the current
// directory; null for any other number.
const char* ScoreFileName(int level);

// Reads the level's table, enters the result where it belongs, rewrites the
// file, and hands the table over for display. A file that cannot be read or
// written only leaves its part undone, and a table that cannot be saved is
// announced by the clap. The table shown is always what the file holds: a
// result that could not be saved is not shown as if it were. `resultLost`,
// when given, tells whether a game's result was kept out of its table by a
// file that could not be read or written (or a name that could not be read);
// that is said on standard error with the reason.
std::unique_ptr<ScoreTable> RecordResult(int level, int score, int removedCount,
                                         bool* resultLost = nullptr);

// For a run without a data folder, whose working folder is where the game
// was installed: the tables there are shown as they stand and never written
// (the player was told at the start that nothing is saved).
void KeepTablesUnwritten(bool unwritten);
