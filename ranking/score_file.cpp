#include "ranking/score_file.h"

#include "ranking/decimal_text.h"

namespace {

// Stored byte = text byte - 0x20, so a space is 0x00 and a NUL is 0xE0.
constexpr std::uint8_t kStoredOffset = 0x20;

// The four blocks of the file, in file order: all ten of one field, then all
// ten of the next.
enum class Block { kName, kDate, kScoreText, kRemovedText };
constexpr Block kBlocks[] = {Block::kName, Block::kDate, Block::kScoreText, Block::kRemovedText};

// The field of a record that a block holds (const or not).
template <typename Record>
auto FieldOf(Record& record, Block block) -> decltype(&record.name[0]) {
  switch (block) {
    case Block::kName:
      return record.name;
    case Block::kDate:
      return record.date;
    case Block::kScoreText:
      return record.scoreText;
    case Block::kRemovedText:
      return record.removedText;
  }
  return record.name;
}

std::size_t WidthOf(Block block) {
  switch (block) {
    case Block::kName:
      return kNameWidth;
    case Block::kDate:
      return kDateWidth;
    case Block::kScoreText:
      return kScoreTextWidth;
    case Block::kRemovedText:
      return kRemovedTextWidth;
  }
  return 0;
}

char ToPlain(std::uint8_t stored) {
  return static_cast<char>(stored + kStoredOffset);
}

std::uint8_t ToStored(char plain) {
  return static_cast<std::uint8_t>(static_cast<std::uint8_t>(plain) - kStoredOffset);
}

}  // namespace

void DecodeScoreFile(const std::uint8_t* bytes, std::size_t size, ScoreTable& table) {
  std::size_t position = 0;
  for (Block block : kBlocks) {
    const std::size_t width = WidthOf(block);
    for (ScoreRecord& record : table) {
      char* field = FieldOf(record, block);
      for (std::size_t i = 0; i < width && position < size; ++i, ++position) {
        field[i] = ToPlain(bytes[position]);
      }
    }
  }
  // A score text that does not start with a number counts as 0.
  for (ScoreRecord& record : table) {
    record.score = ParseDecimal(record.scoreText, kScoreTextWidth).value_or(0);
  }
}

ScoreFileBytes EncodeScoreFile(const ScoreTable& table) {
  ScoreFileBytes bytes{};
  std::size_t position = 0;
  for (Block block : kBlocks) {
    const std::size_t width = WidthOf(block);
    for (const ScoreRecord& record : table) {
      const char* field = FieldOf(record, block);
      for (std::size_t i = 0; i < width; ++i) bytes[position++] = ToStored(field[i]);
    }
  }
  return bytes;
}

const char* ScoreFileName(int level) {
  switch (level) {
    case 0:
      return "zyou.pod";
    case 1:
      return "tyuu.pod";
    case 2:
      return "syo.pod";
    default:
      return nullptr;
  }
}
