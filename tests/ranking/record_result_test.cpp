// Offering a result to a level's table: where it enters, what the file holds
// afterwards, and what each missing or unusable file leaves undone.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <optional>

#include "ranking/score_file.h"
#include "score_file_helpers.h"

namespace {

using namespace ranking_test;

// `rows` with `entry` entered at `place` and the last row dropped.
std::vector<Row> Entered(std::vector<Row> rows, std::size_t place, const Row& entry) {
  rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(place), entry);
  rows.resize(10);
  return rows;
}

class RecordResultTest : public ScoreFileTest {};

TEST_F(RecordResultTest, EachCaseLeavesItsFileAndTableAsThePlayerExpects) {
  const auto fives = Rows(std::vector<int>(10, 500));
  const auto falling = Rows({900, 800, 700, 600, 500, 400, 300, 200, 100, 50});
  const auto nines = Rows({999999999, 5, 5, 5, 5, 5, 5, 5, 5, 5});
  const Bytes blank = StoredFile({}, '\0');
  Bytes longer = StoredFile(falling);
  longer.resize(700, 0x55);
  const std::string taro("Taro\0", 5);
  struct Case {
    const char* what;
    std::optional<Bytes> file;  // the middle level's file; nullopt: none
    std::optional<std::string> settings;
    mode_t mode;
    int score, removedCount;
    std::optional<Bytes> after;
    int red;  // the red row, -1 for none
    bool clap = false;
    bool held = false;  // locked by another copy of the game
  };
  const Case cases[] = {
      {"an empty file is filled out", Bytes{}, taro, 0644, 0, 0, Bytes(590, 0xE0), -1, false},
      {"an equal score stays out", StoredFile(fives), taro, 0644, 500, 4, StoredFile(fives), -1},
      {"one more enters at the top", StoredFile(fives), taro, 0644, 501, 4,
       StoredFile(Entered(fives, 0, {"Taro", kEntryDate, "501", "4"})), 0},
      {"a result goes below its equals", StoredFile(falling), taro, 0644, 700, 4,
       StoredFile(Entered(falling, 3, {"Taro", kEntryDate, "700", "4"})), 3},
      {"rank 10 moves nothing", StoredFile(falling), taro, 0644, 60, 4,
       StoredFile(Entered(falling, 9, {"Taro", kEntryDate, "60", "4"})), 9},
      {"nine digits read back", StoredFile(nines), taro, 0644, 999999999, 4,
       StoredFile(Entered(nines, 1, {"Taro", kEntryDate, "999999999", "4"})), 1},
      {"a visit from the title", StoredFile(falling), taro, 0644, 0, 0, StoredFile(falling), -1},
      {"full fields have no NUL", blank, "ABCDEFGHIJKLMNOPQ", 0644, 999999999, 99999,
       StoredFile({{"ABCDEFGHIJKLMNOP", kEntryDate, "999999999", "99999"}}, '\0'), 0},
      {"wide numbers are held", blank, taro, 0644, 2147483647, 123456,
       StoredFile({{"Taro", kEntryDate, "999999999", "99999"}}, '\0'), 0},
      {"a short name ends with the file", StoredFile(fives), "Kei", 0644, 501, 4,
       StoredFile(Entered(fives, 0, {"Kei", kEntryDate, "501", "4"})), 0},
      {"no name, no entry", StoredFile(falling), std::nullopt, 0644, 1000, 4, StoredFile(falling),
       -1},
      {"a read-only file", StoredFile(falling), taro, 0444, 1000, 4, StoredFile(falling), 0, true},
      {"a missing file", std::nullopt, taro, 0644, 1000, 4, std::nullopt, -1},
      {"a file in use", StoredFile(falling), taro, 0644, 1000, 4, StoredFile(falling), -1, false,
       true},
      {"a longer file is cut, its permissions kept", longer, taro, 0604, 1000, 4,
       StoredFile(Entered(falling, 0, {"Taro", kEntryDate, "1000", "4"})), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove("tyuu.pod");
    std::filesystem::remove("zel.ini");
    if (c.file) WriteFile("tyuu.pod", *c.file), ::chmod("tyuu.pod", c.mode);
    if (c.settings) WriteFile("zel.ini", *c.settings);
    log_.Clear();
    const int holder = ::open("tyuu.pod", O_RDONLY);
    if (c.held) ::flock(holder, LOCK_EX);

    const auto table = RecordResult(1, c.score, c.removedCount);
    ::close(holder);
    if (c.after) {
      const Bytes after = ReadFile("tyuu.pod");
      EXPECT_EQ(after, *c.after);
      for (std::size_t k = 0; k < 10; ++k) EXPECT_EQ(RowOf(after, k), RowOf(*c.after, k)) << k;
      EXPECT_EQ(std::filesystem::status("tyuu.pod").permissions(), std::filesystem::perms(c.mode));
    } else {
      EXPECT_FALSE(std::filesystem::exists("tyuu.pod"));
    }
    // The screen shows what the file now holds (blank when it was not read);
    // an entry that could not be saved is shown all the same, after the clap.
    if (!c.clap) {
      const ScoreFileBytes shown = EncodeScoreFile(*table);
      EXPECT_EQ(Bytes(shown.begin(), shown.end()), c.held ? blank : c.after.value_or(blank));
    }
    for (int k = 0; k < 10; ++k) {
      EXPECT_EQ((*table)[k].color, k == c.red ? kScoreRowRed : kScoreRowWhite) << k;
    }
    EXPECT_EQ(Clapped(), c.clap);
    EXPECT_FALSE(std::filesystem::exists("tyuu.pod.new"));
  }
}

}  // namespace
