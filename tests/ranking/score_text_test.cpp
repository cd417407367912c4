// The texts of a row: numbers read and written as the file keeps them, the
// date of a new entry, and the stored form that carries them.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

#include "ranking/decimal_text.h"
#include "ranking/entry_date.h"
#include "ranking/score_file.h"

namespace {

TEST(ScoreTextTest, NumbersAreReadTheWayPercentDReadsThem) {
  const std::pair<std::string, std::optional<std::int32_t>> cases[] = {
      {"1234", 1234},
      {"+17", 17},
      {"-0", 0},
      {" \t\n\v\f\r42x", 42},
      {"00012 3", 12},
      {"999999999", 999999999},
      {"", std::nullopt},
      {"  ", std::nullopt},
      {"-", std::nullopt},
      {"+-3", std::nullopt},
      {"x1", std::nullopt},
      {"\x82\xa0"
       "1",
       std::nullopt},
      {"2147483648", INT_MAX},
      {"-2147483649", INT_MIN},
      {std::string(40, '9'), INT_MAX},
  };
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(ParseDecimal(text.c_str(), text.size() + 1), value) << '"' << text << '"';
  }
  // A field that its text fills has no NUL: reading stops at its end.
  const char field[] = {'1', '2', '3', '4'};
  EXPECT_EQ(ParseDecimal(field, 3), 123);
}

TEST(ScoreTextTest, NumbersTooWideForTheirFieldAreHeldAtTheWidestThatFits) {
  const std::tuple<std::int32_t, std::size_t, std::string> cases[] = {
      {-5, 9, "-5"},
      {999999999, 9, "999999999"},
      {1000000000, 9, "999999999"},
      {INT_MIN, 9, "-99999999"},
      {123456, 5, "99999"},
      {-10000, 5, "-9999"},
  };
  for (const auto& [value, width, text] : cases) {
    char field[12] = "###########";
    EXPECT_EQ(FormatDecimal(value, field, width), std::stoi(text));
    EXPECT_EQ(std::string(field), text);
    EXPECT_EQ(field[text.size() + 1], '#') << "bytes after the NUL are left alone";
  }
}

TEST(ScoreTextTest, TheDateHas24CharactersEvenFromAClockGoneWild) {
  std::tm time{};
  time.tm_year = 101, time.tm_mon = 6, time.tm_mday = 9, time.tm_wday = 1;
  time.tm_hour = 9, time.tm_min = 5, time.tm_sec = 7;
  EXPECT_STREQ(FormatEntryDate(time).data(), "Mon Jul 09 09:05:07 2001");
  time.tm_year = INT_MAX, time.tm_mon = 12, time.tm_mday = 100, time.tm_wday = -1;
  time.tm_hour = -3;
  EXPECT_STREQ(FormatEntryDate(time).data(), "Sun Dec 99 00:05:07 9999");
}

TEST(ScoreTextTest, AnyFileComesBackByteForByteAndAShortOneSetsOnlyWhatItHas) {
  ScoreFileBytes bytes;
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  ScoreTable table{};
  DecodeScoreFile(bytes.data(), bytes.size(), table);
  EXPECT_EQ(EncodeScoreFile(table), bytes);

  ScoreTable partial{};
  const std::uint8_t stored[] = {0x21, 0x22, 0x10, 0x11};  // "AB01": three bytes read
  DecodeScoreFile(stored, 3, partial);
  EXPECT_STREQ(partial[0].name, "AB0");
  EXPECT_EQ(EncodeScoreFile(partial)[3], 0xE0);
}

}  // namespace
