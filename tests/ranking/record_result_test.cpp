// Offering a result to a level's table: where it enters, what the file holds
// afterwards, and what each missing or unusable file leaves undone.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "ranking/score_table.h"
#include "score_file_helpers.h"

namespace {

using namespace ranking_test;

class RecordResultTest : public ScoreFileTest {
 protected:
  // The middle level's file, and a settings file with the player's name.
  void Install(const Bytes& scoreFile, const std::string& name = std::string("Taro\0", 5)) {
    WriteFile("tyuu.pod", scoreFile);
    WriteFile("zel.ini", name);
  }

  static int RedRow(const ScoreTable& table) {
    int red = -1;
    for (int i = 0; i < 10; ++i) {
      if (table[i].color == kScoreRowRed) {
        EXPECT_EQ(red, -1) << "two red rows";
        red = i;
      } else {
        EXPECT_EQ(table[i].color, kScoreRowWhite) << "row " << i;
      }
    }
    return red;
  }

  static std::vector<std::string> Scores(const Bytes& file) {
    std::vector<std::string> scores;
    for (std::size_t k = 0; k < 10; ++k) scores.push_back(FieldText(file, kScores, k));
    return scores;
  }
};

TEST_F(RecordResultTest, AnEmptyFileIsFilledOut) {
  Install({});
  auto table = RecordResult(1, 0, 0);
  EXPECT_EQ(ReadFile("tyuu.pod"), Bytes(590, 0xE0));
  EXPECT_EQ(RedRow(*table), -1);

  RecordResult(1, 120, 3);
  const Bytes file = ReadFile("tyuu.pod");
  ASSERT_EQ(file.size(), 590u);
  EXPECT_EQ(RowOf(file, 0), (Row{"Taro", kEntryDate, "120", "3"}));
  EXPECT_EQ(RowOf(file, 1), (Row{}));
}

TEST_F(RecordResultTest, AResultGoesBelowEveryEqualScoreAndAboveTheFirstLowerOne) {
  struct Case {
    std::vector<int> stored;
    int result;
    int expectedRow;  // -1: does not enter
  };
  const std::vector<int> descending = {900, 800, 700, 600, 500, 400, 300, 200, 100, 50};
  const Case cases[] = {
      {std::vector<int>(10, 500), 500, -1},
      {std::vector<int>(10, 500), 501, 0},
      {descending, 1000, 0},
      {descending, 700, 3},
      {descending, 699, 3},
      {descending, 51, 9},
      {descending, 50, -1},
      {std::vector<int>(10, 0), 0, -1},
      {std::vector<int>(10, 0), -1, -1},
      {{10, -5, -5, -5, -5, -5, -5, -5, -5, -5}, -3, 1},
  };
  for (const Case& c : cases) {
    Install(StoredFile(RowsWithScores(c.stored)));
    auto table = RecordResult(1, c.result, 1);
    EXPECT_EQ(RedRow(*table), c.expectedRow) << "result " << c.result;
  }
}

TEST_F(RecordResultTest, AnEntryShiftsTheRowsBelowItAndDropsTheLast) {
  const auto rows = RowsWithScores({900, 800, 700, 600, 500, 400, 300, 200, 100, 50});
  Install(StoredFile(rows, 'x'));
  auto table = RecordResult(1, 650, 42);
  const Bytes file = ReadFile("tyuu.pod");
  for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(RowOf(file, k), rows[k]);
  EXPECT_EQ(RowOf(file, 3), (Row{"Taro", kEntryDate, "650", "42"}));
  for (std::size_t k = 4; k < 10; ++k) EXPECT_EQ(RowOf(file, k), rows[k - 1]);
  EXPECT_STREQ((*table)[3].name, "Taro");
  EXPECT_STREQ((*table)[3].scoreText, "650");
  EXPECT_EQ(RedRow(*table), 3);
}

TEST_F(RecordResultTest, AnEntryAtRankTenMovesNothing) {
  const auto rows = RowsWithScores({900, 800, 700, 600, 500, 400, 300, 200, 100, 50});
  const Bytes before = StoredFile(rows, 'x');
  Install(before);
  RecordResult(1, 60, 7);
  const Bytes after = ReadFile("tyuu.pod");
  for (std::size_t k = 0; k < 9; ++k) EXPECT_EQ(RowOf(after, k), rows[k]);
  EXPECT_EQ(RowOf(after, 9), (Row{"Taro", kEntryDate, "60", "7"}));
  // Only record 9's fields changed.
  for (std::size_t i = 0; i < 590; ++i) {
    const bool inRow9 =
        (i >= 144 && i < 160) || (i >= 421 && i < 450) || (i >= 531 && i < 540) || (i >= 585);
    if (!inRow9) {
      EXPECT_EQ(after[i], before[i]) << "byte " << i;
    }
  }
}

TEST_F(RecordResultTest, AResultThatDoesNotEnterLeavesTheFileByteForByte) {
  // Every byte after each NUL holds something, and must survive the rewrite.
  for (char filler : {'\0', 'x', '\x7f'}) {
    const Bytes before = StoredFile(RowsWithScores(std::vector<int>(10, 500)), filler);
    Install(before);
    auto table = RecordResult(1, 500, 9);
    EXPECT_EQ(ReadFile("tyuu.pod"), before);
    EXPECT_EQ(RedRow(*table), -1);
    RecordResult(1, 0, 0);  // the ranking screen reached from the title
    EXPECT_EQ(ReadFile("tyuu.pod"), before);
  }
  EXPECT_FALSE(ClapPlayed());
}

TEST_F(RecordResultTest, AnEntryKeepsTheBytesAfterEachNulOfItsRow) {
  Install(StoredFile(RowsWithScores(std::vector<int>(10, 5)), 'x'), std::string("Jo\0", 3));
  RecordResult(1, 12, 3);
  const Bytes file = ReadFile("tyuu.pod");
  const Bytes plain = [&] {
    Bytes p = file;
    for (auto& b : p) b = static_cast<std::uint8_t>(b + 0x20);
    return p;
  }();
  EXPECT_EQ(std::string(plain.begin(), plain.begin() + 16),
            std::string("Jo\0", 3) + std::string(13, 'x'));
  EXPECT_EQ(std::string(plain.begin() + 160, plain.begin() + 189),
            std::string(kEntryDate) + '\0' + "xxxx");
  EXPECT_EQ(std::string(plain.begin() + 450, plain.begin() + 459),
            std::string("12\0", 3) + "xxxxxx");
  EXPECT_EQ(std::string(plain.begin() + 540, plain.begin() + 545), std::string("3\0", 2) + "xxx");
}

TEST_F(RecordResultTest, NineDigitScoresAndFullNamesFillTheirFieldsWithoutANul) {
  Install(StoredFile({}), "ABCDEFGHIJKLMNOPQRST");  // no NUL in the first 16 bytes
  auto table = RecordResult(1, 999999999, 99999);
  EXPECT_EQ(std::string((*table)[0].name), "ABCDEFGHIJKLMNOP");
  const Bytes file = ReadFile("tyuu.pod");
  EXPECT_EQ(FieldText(file, kNames, 0), "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(file[450 + 8], '9' - 0x20);  // the score's last digit ends its field
  EXPECT_EQ(FieldText(file, kScores, 0), "999999999");
  // Read back, the nine digits are the number again: an equal score stays below.
  table = RecordResult(1, 999999999, 1);
  EXPECT_EQ((*table)[0].score, 999999999);
  EXPECT_EQ(RedRow(*table), 1);
}

TEST_F(RecordResultTest, NumbersWiderThanTheirFieldsAreHeldAtTheWidestThatFits) {
  Install(StoredFile({}));
  auto table = RecordResult(1, 2147483647, 123456);
  const Bytes file = ReadFile("tyuu.pod");
  EXPECT_EQ(RowOf(file, 0), (Row{"Taro", kEntryDate, "999999999", "99999"}));
  EXPECT_EQ((*table)[0].scoreText[9], '\0');
  EXPECT_EQ((*table)[0].removedText[5], '\0');
}

TEST_F(RecordResultTest, AShortNameEndsWhereTheSettingsFileEnds) {
  Install(StoredFile(RowsWithScores(std::vector<int>(10, 5)), 'x'), "Kei");
  auto table = RecordResult(1, 10, 1);
  EXPECT_STREQ((*table)[0].name, "Kei");
  EXPECT_EQ(FieldText(ReadFile("tyuu.pod"), kNames, 0), "Kei");
}

TEST_F(RecordResultTest, TheDayOfTheMonthHasALeadingZero) {
  clock_.Set([] {
    std::tm time = EntryTime();
    time.tm_mday = 7;
    time.tm_wday = 1;
    return time;
  }());
  Install(StoredFile({}));
  RecordResult(1, 10, 1);
  EXPECT_EQ(FieldText(ReadFile("tyuu.pod"), kDates, 0), "Mon Dec 07 16:38:43 2026");
}

TEST_F(RecordResultTest, EachLevelKeepsItsOwnFile) {
  for (const char* name : {"zyou.pod", "tyuu.pod", "syo.pod"}) WriteFile(name, StoredFile({}));
  WriteFile("zel.ini", "Hana");
  RecordResult(0, 30, 1);
  RecordResult(2, 10, 1);
  EXPECT_EQ(FieldText(ReadFile("zyou.pod"), kScores, 0), "30");
  EXPECT_EQ(FieldText(ReadFile("tyuu.pod"), kScores, 0), "");
  EXPECT_EQ(FieldText(ReadFile("syo.pod"), kScores, 0), "10");
}

TEST_F(RecordResultTest, ShortAndLongFilesAreReadAsFarAsTheyGoAndRewrittenAt590Bytes) {
  Bytes longer = StoredFile(RowsWithScores({40, 30}), 'x');
  longer.resize(700, 0x55);
  Bytes shorter = longer;
  shorter.resize(470);  // names, dates and the first two score texts
  for (const Bytes& before : {longer, shorter}) {
    Install(before);
    auto table = RecordResult(1, 35, 2);
    const Bytes after = ReadFile("tyuu.pod");
    ASSERT_EQ(after.size(), 590u);
    EXPECT_EQ(Scores(after)[0], "40");
    EXPECT_EQ(Scores(after)[1], "35");
    EXPECT_EQ(Scores(after)[2], "30");
    EXPECT_EQ(RedRow(*table), 1);
  }
}

// Each way a file can be missing or unusable, and what is left undone.
TEST_F(RecordResultTest, WithoutANameAQualifyingResultIsLostAndTheFileLeftAlone) {
  const Bytes before = StoredFile(RowsWithScores({50, 40, 30}), 'x');
  WriteFile("tyuu.pod", before);
  struct stat was {};
  ASSERT_EQ(::stat("tyuu.pod", &was), 0);
  for (bool directory : {false, true}) {
    if (directory) std::filesystem::create_directory("zel.ini");
    auto table = RecordResult(1, 45, 1);
    EXPECT_EQ(ReadFile("tyuu.pod"), before);
    struct stat now {};
    ASSERT_EQ(::stat("tyuu.pod", &now), 0);
    EXPECT_EQ(now.st_ino, was.st_ino) << "the file was replaced";
    // The table shows what the file holds, without a half-made row.
    EXPECT_EQ(RedRow(*table), -1);
    EXPECT_STREQ((*table)[1].scoreText, "40");
    EXPECT_STREQ((*table)[2].scoreText, "30");
  }
  EXPECT_FALSE(ClapPlayed());
}

TEST_F(RecordResultTest, AMissingFileShowsAnEmptyTableAndIsNotCreated) {
  WriteFile("zel.ini", "Taro");
  for (int level : {1, 3, -1}) {
    auto table = RecordResult(level, 100, 1);
    for (const ScoreRecord& record : *table) {
      EXPECT_EQ(record.score, 0);
      EXPECT_EQ(record.color, kScoreRowWhite);
      EXPECT_STREQ(record.name, "");
      EXPECT_STREQ(record.scoreText, "");
    }
  }
  std::filesystem::create_directory("tyuu.pod");
  RecordResult(1, 100, 1);
  EXPECT_FALSE(std::filesystem::exists("tyuu.pod.new"));
  EXPECT_FALSE(std::filesystem::exists("zyou.pod"));
  EXPECT_FALSE(ClapPlayed());
}

TEST_F(RecordResultTest, AReadOnlyFilePlaysTheClapAndKeepsItsBytes) {
  const Bytes before = StoredFile(RowsWithScores({50}), 'x');
  Install(before);
  ASSERT_EQ(::chmod("tyuu.pod", 0444), 0);
  auto table = RecordResult(1, 60, 1);
  EXPECT_TRUE(ClapPlayed());
  EXPECT_EQ(ReadFile("tyuu.pod"), before);
  EXPECT_FALSE(std::filesystem::exists("tyuu.pod.new"));
  // The entry is shown all the same; the clap says it was not kept.
  EXPECT_EQ(RedRow(*table), 0);

  log_.Clear();
  RecordResult(1, 0, 0);
  EXPECT_TRUE(ClapPlayed()) << "even a visit from the title tries to rewrite";
}

TEST_F(RecordResultTest, TheRewrittenFileKeepsItsPermissions) {
  Install(StoredFile({}));
  for (mode_t mode : {0600, 0640, 0666, 0604}) {
    ASSERT_EQ(::chmod("tyuu.pod", mode), 0);
    RecordResult(1, 10, 1);
    struct stat now {};
    ASSERT_EQ(::stat("tyuu.pod", &now), 0);
    EXPECT_EQ(now.st_mode & 07777, mode);
  }
  EXPECT_FALSE(ClapPlayed());
}

TEST_F(RecordResultTest, AFileHeldByAnotherCopyIsTreatedAsOneThatCannotBeOpened) {
  const Bytes before = StoredFile(RowsWithScores({50}), 'x');
  Install(before);
  const int holder = ::open("tyuu.pod", O_RDONLY);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  auto table = RecordResult(1, 60, 1);
  ::close(holder);
  EXPECT_EQ(ReadFile("tyuu.pod"), before);
  EXPECT_STREQ((*table)[0].scoreText, "");
  EXPECT_EQ(RedRow(*table), -1);
  EXPECT_FALSE(ClapPlayed());
}

}  // namespace
