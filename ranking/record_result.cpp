// RecordResult: a finished game's result offered to its level's table, from the
// read of the file to its rewrite.
#include <algorithm>
#include <cstring>

#include "core/globals.h"
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

}  // namespace

std::unique_ptr<ScoreTable> RecordResult(int level, int score, int removedCount) {
  auto table = BlankTable();
  const char* path = ScoreFileName(level);
  LockedScoreFile file;
  if (path == nullptr || !file.Open(path)) return table;

  ScoreFileBytes bytes{};
  std::size_t size = 0;
  if (!file.Read(bytes, size)) return table;
  DecodeScoreFile(bytes.data(), size, *table);

  const std::size_t place = PlaceOf(*table, score);
  if (place < table->size()) {
    // Without a name the result is lost and the file is left as it is; the
    // table shows what the file holds.
    const auto name = ReadPlayerName();
    if (!name) return table;
    Enter(*table, place, *name, score, removedCount);
  }

  // Rewritten even when nothing entered: a complete file comes back as it was.
  if (!file.Rewrite(EncodeScoreFile(*table))) PlayClap();
  return table;
}
