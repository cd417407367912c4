// RecordResult: a finished game's result offered to its level's table, from the
// read of the file to its rewrite.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/globals.h"
#include "platform/base/log.h"
#include "platform/base/whole_file.h"
#include "platform/win32/host.h"
#include "ranking/decimal_text.h"
#include "ranking/entry_date.h"
#include "ranking/locked_score_file.h"
#include "ranking/player_name.h"
#include "ranking/score_file.h"
#include "ranking/score_table.h"

namespace {

// A table that nothing was read into: empty texts, every score 0, all white.
std::unique_ptr<ScoreTable> BlankTable() {
  auto table = std::make_unique<ScoreTable>();
  for (ScoreRecord& record : *table) record.color = kScoreRowWhite;
  return table;
}

// The first rank whose score is below the result: a result equal to a stored
// score goes below it. table.size() when the result does not enter.
std::size_t PlaceOf(const ScoreTable& table, std::int32_t score) {
  const auto below = std::find_if(table.begin(), table.end(), [score](const ScoreRecord& record) {
    return record.score < score;
  });
  return static_cast<std::size_t>(below - table.begin());
}

// The name as the settings file gives it. A file shorter than the field and
// without a NUL of its own ends the name where the file ends, so no part of
// the previous holder's name shows behind it; every other byte of the field
// keeps what it held.
void PutName(ScoreRecord& record, const PlayerName& name) {
  std::memcpy(record.name, name.bytes.data(), name.length);
  const bool ended = std::memchr(name.bytes.data(), '\0', name.length) != nullptr;
  if (!ended && name.length < kNameWidth) record.name[name.length] = '\0';
}

// Moves the records from `place` on one rank down, dropping the last, and
// writes the new result into the freed row. Only each text and its NUL are
// written; the rest of every field keeps the bytes the row held before.
void Enter(ScoreTable& table, std::size_t place, const PlayerName& name, std::int32_t score,
           std::int32_t removedCount) {
  std::copy_backward(table.begin() + static_cast<std::ptrdiff_t>(place), table.end() - 1,
                     table.end());
  ScoreRecord& record = table[place];
  PutName(record, name);
  const auto date = FormatEntryDate(platform::GameClock().LocalTime());
  std::memcpy(record.date, date.data(), date.size());
  record.score = FormatDecimal(score, record.scoreText, kScoreTextWidth);
  FormatDecimal(removedCount, record.removedText, kRemovedTextWidth);
  record.color = kScoreRowRed;
}

void PlayClap() {
  PlaySoundA("Clap.wav", g_hInstance, SND_FILENAME | SND_ASYNC);
}

// The line that follows the reason a result was not kept.
void SayResultLost(const char* path, int score, int removedCount) {
  platform::LogError("this game's result (score " + std::to_string(score) + ", " +
                         std::to_string(removedCount) + " removed)",
                     std::string("not saved in ") + path);
}

// Enters the result in the table read from `file` and rewrites the file
// (even when nothing entered: a complete file comes back as it was). True
// when a result that would enter was not kept; the table then shows what
// the file holds, not the result as if it were saved.
bool EnterAndRewrite(LockedScoreFile& file, const char* path, ScoreTable& table, int score,
                     int removedCount) {
  const ScoreTable asRead = table;
  const std::size_t place = PlaceOf(table, score);
  const bool enters = place < table.size();
  if (enters) {
    // Without a name the result is lost and the file is left as it is.
    const auto name = ReadPlayerName();
    if (!name) return true;
    Enter(table, place, *name, score, removedCount);
  }
  if (file.Rewrite(EncodeScoreFile(table))) return false;
  PlayClap();
  if (!enters) return false;
  table = asRead;
  // Marking a table read-only is the player's way of keeping it as it
  // stands; the game keeps it so, and says what that cost.
  if (file.ReadOnly()) {
    platform::LogError(path, "the table is read-only, and the game leaves it so");
  }
  return true;
}

bool g_tablesUnwritten = false;

}  // namespace

void KeepTablesUnwritten(bool unwritten) {
  g_tablesUnwritten = unwritten;
}

std::unique_ptr<ScoreTable> RecordResult(int level, int score, int removedCount, bool* resultLost) {
  auto table = BlankTable();
  bool lost = false;
  const char* path = ScoreFileName(level);
  if (g_tablesUnwritten) {
    if (const auto bytes =
            path != nullptr ? platform::ReadSmallFile(path, kScoreFileSize) : std::nullopt) {
      DecodeScoreFile(bytes->data(), bytes->size(), *table);
    }
    if (resultLost != nullptr) *resultLost = false;
    return table;
  }
  LockedScoreFile file;
  ScoreFileBytes bytes{};
  std::size_t size = 0;
  if (path != nullptr && file.Open(path) && file.Read(bytes, size)) {
    DecodeScoreFile(bytes.data(), size, *table);
    lost = EnterAndRewrite(file, path, *table, score, removedCount);
  } else if (path != nullptr) {
    // A table that could not be read takes no result; a game that scored
    // nothing has none to lose. Why the table was not read is said already,
    // but for a missing one.
    lost = score > 0;
    if (lost && file.Missing()) {
      platform::LogError(path, "the table is missing; an empty one is made at the next start");
    }
  }
  if (lost) SayResultLost(path, score, removedCount);
  if (resultLost != nullptr) *resultLost = lost;
  return table;
}
