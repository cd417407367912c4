// The stored form of a table: where each field lies, how each byte is kept,
// and what a short or damaged file turns into.
#include "ranking/score_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "score_file_helpers.h"

namespace {

using ranking_test::Bytes;
using ranking_test::Row;

ScoreTable Decode(const Bytes& bytes) {
  ScoreTable table{};
  DecodeScoreFile(bytes.data(), bytes.size(), table);
  return table;
}

Bytes Encode(const ScoreTable& table) {
  const ScoreFileBytes bytes = EncodeScoreFile(table);
  return Bytes(bytes.begin(), bytes.end());
}

TEST(ScoreFileNameTest, OneFilePerLevelAndNoneForOtherNumbers) {
  EXPECT_STREQ(ScoreFileName(0), "zyou.pod");
  EXPECT_STREQ(ScoreFileName(1), "tyuu.pod");
  EXPECT_STREQ(ScoreFileName(2), "syo.pod");
  EXPECT_EQ(ScoreFileName(-1), nullptr);
  EXPECT_EQ(ScoreFileName(3), nullptr);
}

TEST(StoredFormTest, EveryByteIsKeptTwentyHexBelowItsText) {
  ScoreTable table{};
  std::strcpy(table[0].name, " 0\x82");
  const Bytes bytes = Encode(table);
  EXPECT_EQ(bytes[0], 0x00);  // space
  EXPECT_EQ(bytes[1], 0x10);  // '0'
  EXPECT_EQ(bytes[2], 0x62);  // a Shift-JIS lead byte
  EXPECT_EQ(bytes[3], 0xE0);  // NUL
  EXPECT_EQ(bytes[589], 0xE0);
}

TEST(StoredFormTest, FieldsLieBlockByBlockInRankOrder) {
  const std::vector<Row> rows = {
      {"first", "Mon Jan 01 00:00:00 2001", "300", "12"},
      {"", "", "", ""},
      {"third", "Tue Feb 02 01:02:03 2002", "100", "99999"},
  };
  const ScoreTable table = Decode(ranking_test::StoredFile(rows));
  EXPECT_STREQ(table[0].name, "first");
  EXPECT_STREQ(table[0].date, "Mon Jan 01 00:00:00 2001");
  EXPECT_STREQ(table[0].scoreText, "300");
  EXPECT_STREQ(table[0].removedText, "12");
  EXPECT_EQ(table[0].score, 300);
  EXPECT_STREQ(table[1].name, "");
  EXPECT_EQ(table[1].score, 0);
  EXPECT_STREQ(table[2].name, "third");
  EXPECT_STREQ(table[2].date, "Tue Feb 02 01:02:03 2002");
  EXPECT_STREQ(table[2].scoreText, "100");
  EXPECT_STREQ(table[2].removedText, "99999");
  EXPECT_EQ(table[2].score, 100);
}

TEST(StoredFormTest, AnyFileOf590BytesComesBackByteForByte) {
  // Every byte value at every place, so the bytes after each NUL and texts
  // that fill their fields all pass through a decode and an encode.
  Bytes bytes(590);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  EXPECT_EQ(Encode(Decode(bytes)), bytes);
}

TEST(StoredFormTest, TextsThatFillTheirFieldsEndAtTheFieldsEnd) {
  const std::vector<Row> rows = {{"ABCDEFGHIJKLMNOP", std::string(29, 'd'), "999999999", "99999"}};
  const ScoreTable table = Decode(ranking_test::StoredFile(rows));
  EXPECT_EQ(std::string(table[0].name), "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(std::string(table[0].date), std::string(29, 'd'));
  EXPECT_EQ(std::string(table[0].scoreText), "999999999");
  EXPECT_EQ(std::string(table[0].removedText), "99999");
  EXPECT_EQ(table[0].score, 999999999);
}

TEST(StoredFormTest, AShortFileSetsOnlyTheBytesItHas) {
  ScoreTable table{};
  std::memset(table.data(), 'q', sizeof table);
  // 20 bytes: the first name whole and 4 bytes of the second.
  Bytes bytes = ranking_test::StoredFile({{"0123456789abcdef", "", "", ""}, {"wxyz", "", "", ""}});
  bytes.resize(20);
  DecodeScoreFile(bytes.data(), bytes.size(), table);
  EXPECT_EQ(std::string(table[0].name, 16), "0123456789abcdef");
  EXPECT_EQ(std::string(table[1].name, 5), "wxyzq");
  EXPECT_EQ(table[0].date[0], 'q');
}

TEST(StoredFormTest, ScoresThatAreNotNumbersCountAsZero) {
  const std::vector<Row> rows = {{"a", "", "abc", ""}, {"b", "", "-12x", ""}, {"c", "", " 7", ""}};
  const ScoreTable table = Decode(ranking_test::StoredFile(rows));
  EXPECT_EQ(table[0].score, 0);
  EXPECT_EQ(table[1].score, -12);
  EXPECT_EQ(table[2].score, 7);
}

}  // namespace
