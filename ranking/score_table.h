// A level's ten best results, and the score files that keep them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/win32.h"

struct ScoreRecord {
  std::int32_t score;
  COLORREF color;
  char name[17];
  char date[30];
  char scoreText[10];
  char removedText[6];
};

using ScoreTable = std::array<ScoreRecord, 10>;

const char* ScoreFileName(int level);

// Reads the level's table, enters the result where it belongs, rewrites the
// file, and hands the table over for display.
std::unique_ptr<ScoreTable> RecordResult(int level, int score, int removedCount);
