// The band's lines: a server's reason wrapped between words, never cut inside
// one nor inside a Shift-JIS character, and ended with "..." when too long.
#include "ranking/band_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct BandRow {
  const char* text;
  std::size_t columns;
  std::vector<std::string> lines;
};

TEST(BandLines, WrapsBetweenWordsAndEndsWhatDoesNotFit) {
  // "世界" in Shift-JIS: two characters of two bytes.
  const std::string world =
      "\x90\xa2\x8a"
      "E";
  const BandRow rows[] = {
      {"World rank 3", 20, {"World rank 3"}},
      {"", 20, {}},
      {"Not ranked: The game records 16 s", 20, {"Not ranked: The game", "records 16 s"}},
      {"Not ranked: The game records 16 s but lasted 20 s",
       20,
       {"Not ranked: The game", "records 16 s but..."}},
      {"exactly twenty chars then more", 20, {"exactly twenty chars", "then more"}},
      {"averyveryverylongwordwithoutspaces and more", 10, {"averyveryv", "erylong..."}},
      {"a  b", 3, {"a", "b"}},
  };
  for (const BandRow& row : rows) {
    EXPECT_EQ(BandLines(row.text, row.columns, 2), row.lines) << row.text;
  }
  // A two-byte character is never split between lines.
  const std::string japanese = "A" + world + world + world;  // 1 + 12 bytes
  const std::vector<std::string> lines = BandLines(japanese, 6, 2);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "A" + world) << "the third character would not fit whole";
  EXPECT_EQ(lines[1], world.substr(0, 2) + "...") << "one whole character and the dots";
}

}  // namespace
