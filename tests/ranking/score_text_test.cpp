// The texts of a score row: numbers read and written as the file keeps them,
// and the date of a new entry.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <optional>
#include <string>

#include "ranking/decimal_text.h"
#include "ranking/entry_date.h"

namespace {

TEST(ParseDecimalTest, ReadsANumberTheWayPercentDDoes) {
  struct Case {
    std::string text;
    std::optional<std::int32_t> value;
  };
  const Case cases[] = {
      {"1234", 1234},
      {"0", 0},
      {"-0", 0},
      {"+17", 17},
      {"-99999999", -99999999},
      {"999999999", 999999999},
      {" \t\n\v\f\r42", 42},
      {"12ab", 12},
      {"7 8", 7},
      {"00012", 12},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"-", std::nullopt},
      {"+-3", std::nullopt},
      {"- 3", std::nullopt},
      {"x12", std::nullopt},
      {"\x82\xa0"
       "12",
       std::nullopt},
      // Longer than any score field, and past the 32-bit range either way.
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"99999999999999999999999999", INT_MAX},
      {"-2147483648", INT_MIN},
      {"-2147483649", INT_MIN},
      {"-99999999999999999999999999", INT_MIN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseDecimal(c.text.c_str(), c.text.size() + 1), c.value) << '"' << c.text << '"';
  }
}

TEST(ParseDecimalTest, StopsAtTheEndOfAFieldWithoutANul) {
  const char field[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};  // no NUL anywhere
  EXPECT_EQ(ParseDecimal(field, sizeof field), 123456789);
  EXPECT_EQ(ParseDecimal(field, 3), 123);
  EXPECT_EQ(ParseDecimal(field, 0), std::nullopt);
  const char spaces[] = {' ', ' ', ' '};
  EXPECT_EQ(ParseDecimal(spaces, sizeof spaces), std::nullopt);
}

TEST(FormatDecimalTest, WritesPercentDAndHoldsWhatDoesNotFit) {
  struct Case {
    std::int32_t value;
    std::size_t width;
    std::string text;
  };
  const Case cases[] = {
      {0, 9, "0"},
      {1234, 9, "1234"},
      {-5, 9, "-5"},
      {999999999, 9, "999999999"},
      {1000000000, 9, "999999999"},
      {INT_MAX, 9, "999999999"},
      {-99999999, 9, "-99999999"},
      {-100000000, 9, "-99999999"},
      {INT_MIN, 9, "-99999999"},
      {99999, 5, "99999"},
      {123456, 5, "99999"},
      {-9999, 5, "-9999"},
      {-10000, 5, "-9999"},
      {INT_MIN, 5, "-9999"},
  };
  for (const Case& c : cases) {
    char field[16];
    std::memset(field, '#', sizeof field);
    const std::int32_t written = FormatDecimal(c.value, field, c.width);
    EXPECT_EQ(std::string(field), c.text) << c.value << " in " << c.width;
    EXPECT_EQ(written, std::stoi(c.text)) << c.value << " in " << c.width;
    // The NUL is inside the field's width + 1, and nothing after it is touched.
    const std::size_t length = c.text.size();
    EXPECT_LE(length, c.width);
    for (std::size_t i = length + 1; i < sizeof field; ++i) EXPECT_EQ(field[i], '#');
  }
}

std::tm Time(int year, int month, int day, int weekday, int hour, int minute, int second) {
  std::tm time{};
  time.tm_year = year - 1900;
  time.tm_mon = month - 1;
  time.tm_mday = day;
  time.tm_wday = weekday;
  time.tm_hour = hour;
  time.tm_min = minute;
  time.tm_sec = second;
  return time;
}

TEST(EntryDateTest, HasTwentyFourCharactersWithZeroPaddedNumbers) {
  struct Case {
    std::tm time;
    std::string text;
  };
  const Case cases[] = {
      {Time(2026, 12, 5, 6, 16, 38, 43), "Sat Dec 05 16:38:43 2026"},
      {Time(1999, 1, 31, 0, 0, 0, 0), "Sun Jan 31 00:00:00 1999"},
      {Time(2001, 7, 9, 1, 9, 5, 7), "Mon Jul 09 09:05:07 2001"},
      {Time(2030, 2, 14, 4, 23, 59, 60), "Thu Feb 14 23:59:60 2030"},
      // A clock gone wild still gives 24 characters.
      {Time(12345, 13, 100, -1, -3, 200, 0), "Sun Dec 99 00:99:00 9999"},
      {Time(-50, 0, 1, 9, 1, 1, 1), "Sat Jan 01 01:01:01 0000"},
  };
  for (const Case& c : cases) {
    const auto date = FormatEntryDate(c.time);
    EXPECT_EQ(std::string(date.data()), c.text);
    EXPECT_EQ(date[kEntryDateLength], '\0');
  }
}

TEST(EntryDateTest, TheYearOfAnExtremeTmDoesNotOverflow) {
  std::tm time = Time(2000, 1, 1, 6, 0, 0, 0);
  time.tm_year = INT_MAX;
  EXPECT_EQ(std::string(FormatEntryDate(time).data()), "Sat Jan 01 00:00:00 9999");
}

}  // namespace
