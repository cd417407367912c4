// Offering a result to a level's table: where it enters, what the file holds
// afterwards, and what each missing or unusable file leaves undone; the texts
// of a row, read the way the file's readers always read them. A file is never
// left damaged: whatever stops a rewrite, it holds its old 590 bytes or the
// new ones; and copies of the game recording at once never lose entries.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <optional>

#include "ranking/decimal_text.h"
#include "ranking/score_file.h"
#include "tests/ranking/score_file_helpers.h"

namespace {

using namespace ranking_test;

// The file of `rows` with a result of Taro's (unless named) entered at
// `place`, the last row dropped.
Bytes Entered(std::vector<Row> rows, std::size_t place, const char* score,
              const char* name = "Taro") {
  rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(place), {name, kEntryDate, score, "4"});
  rows.resize(10);
  return StoredFile(rows);
}

using RecordResultTest = ScoreFileTest;

TEST_F(RecordResultTest, EachCaseLeavesItsFileAndTableAsThePlayerExpects) {
  const auto fives = Rows(std::vector<int>(10, 500));
  const auto falling = Rows({900, 800, 700, 600, 500, 400, 300, 200, 100, 50});
  const auto nines = Rows({999999999, 5, 5, 5, 5, 5, 5, 5, 5, 5});
  const Bytes blank = StoredFile({}, '\0'), five = StoredFile(fives), fall = StoredFile(falling);
  Bytes longer = fall;
  longer.resize(700, 0x55);
  const std::string taro("Taro\0", 5);
  // held: locked by another copy of the game; lost: the result is not saved, and that is said
  enum { kReadOnly = 1, kHeld = 2, kOddMode = 4, kLost = 8 };
  struct Case {
    const char* what;
    std::optional<Bytes> file, after;  // the middle level's file; nullopt: none
    std::optional<std::string> settings;
    int score, removedCount, red;  // red: the red row, -1 for none
    int special = 0;
  };
  const Case cases[] = {
      {"an empty file is filled out", Bytes{}, Bytes(590, 0xE0), taro, 0, 0, -1},
      {"an equal score stays out", five, five, taro, 500, 4, -1},
      {"one more enters at the top", five, Entered(fives, 0, "501"), taro, 501, 4, 0},
      {"a result goes below its equals", fall, Entered(falling, 3, "700"), taro, 700, 4, 3},
      {"rank 10 moves nothing", fall, Entered(falling, 9, "60"), taro, 60, 4, 9},
      {"nine digits read back", StoredFile(nines), Entered(nines, 1, "999999999"), taro, 999999999,
       4, 1},
      {"a visit from the title", fall, fall, taro, 0, 0, -1},
      {"full fields have no NUL", blank,
       StoredFile({{"ABCDEFGHIJKLMNOP", kEntryDate, "999999999", "99999"}}, '\0'),
       "ABCDEFGHIJKLMNOPQ", 999999999, 99999, 0},
      {"wide numbers are held", blank,
       StoredFile({{"Taro", kEntryDate, "999999999", "99999"}}, '\0'), taro, 2147483647, 123456, 0},
      {"a short name ends with the file", five, Entered(fives, 0, "501", "Kei"), "Kei", 501, 4, 0},
      {"no name, no entry", fall, fall, std::nullopt, 1000, 4, -1, kLost},
      {"a read-only file", fall, fall, taro, 1000, 4, -1, kReadOnly | kLost},
      {"a read-only file, nothing entered", fall, fall, taro, 10, 4, -1, kReadOnly},
      {"a missing file", std::nullopt, std::nullopt, taro, 1000, 4, -1, kLost},
      {"a missing file and no result", std::nullopt, std::nullopt, taro, 0, 0, -1},
      {"a file in use", fall, fall, taro, 1000, 4, -1, kHeld | kLost},
      {"a longer file is cut, its permissions kept", longer, Entered(falling, 0, "1000"), taro,
       1000, 4, 0, kOddMode},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove("tyuu.pod");
    std::filesystem::remove("zel.ini");
    const bool readOnly = (c.special & kReadOnly) != 0;
    const mode_t mode = readOnly ? 0444 : c.special == kOddMode ? 0604 : 0644;
    if (c.file) WriteFile("tyuu.pod", *c.file), ::chmod("tyuu.pod", mode);
    if (c.settings) WriteFile("zel.ini", *c.settings);
    log_.Clear();
    const int holder = ::open("tyuu.pod", O_RDONLY);
    if ((c.special & kHeld) != 0) ::flock(holder, LOCK_EX);

    bool lost = false;
    testing::internal::CaptureStderr();
    const auto table = RecordResult(1, c.score, c.removedCount, &lost);
    const std::string said = testing::internal::GetCapturedStderr();
    ::close(holder);
    EXPECT_EQ(lost, (c.special & kLost) != 0);
    const bool saidLost = said.ends_with("): not saved in tyuu.pod\n");
    EXPECT_EQ(saidLost, lost) << said;
    if (c.after) {
      EXPECT_EQ(ReadFile("tyuu.pod"), *c.after);
      EXPECT_EQ(std::filesystem::status("tyuu.pod").permissions(), std::filesystem::perms(mode));
    } else {
      EXPECT_FALSE(std::filesystem::exists("tyuu.pod"));
    }
    // The screen shows what the file now holds (blank when it was not read):
    // an entry that could not be saved is not shown as if it had been.
    const ScoreFileBytes shown = EncodeScoreFile(*table);
    EXPECT_EQ(Bytes(shown.begin(), shown.end()),
              (c.special & kHeld) != 0 ? blank : c.after.value_or(blank));
    for (int k = 0; k < 10; ++k) EXPECT_EQ((*table)[k].color == kScoreRowRed, k == c.red) << k;
    EXPECT_EQ(Clapped(), readOnly);
    if (readOnly && lost) {
      EXPECT_NE(said.find("tyuu.pod: the table is read-only"), said.npos);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}),
              (c.file ? 1 : 0) + (c.settings ? 1 : 0));
  }
}

TEST(ScoreText, NumbersAreReadTheWayPercentDReadsThem) {
  // Signs, leading zeros, white space and a tail, and values past 32 bits.
  const char* texts[] = {"1234",           "+17",        "-0",          "00012 3",
                         " \t\n\v\f\r42x", "2147483648", "-2147483649", "99999999999999999999"};
  const std::int32_t values[] = {1234, 17, 0, 12, 42, INT_MAX, INT_MIN, INT_MAX};
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(ParseDecimal(texts[i], std::strlen(texts[i]) + 1), values[i]);
  for (const char* text : {"", "  ", "-", "+-3", "x1", "\202\2401"}) {
    EXPECT_EQ(ParseDecimal(text, std::strlen(text) + 1), std::nullopt) << text;
  }
  // A field that its text fills has no NUL: reading stops at its end.
  const char field[] = {'1', '2', '3', '4'};
  EXPECT_EQ(ParseDecimal(field, 3), 123);
}

RewriteStep g_target;

TEST_F(RecordResultTest, ACrashOrAFailureAtAnyStepOfTheRewriteLeavesTheOldBytesOrTheNewOnes) {
  const Bytes old = StoredFile(Rows({900, 800, 700, 600, 500, 400, 300, 200, 100, 50}));
  WriteFile("zel.ini", std::string("Taro"));
  WriteFile("tyuu.pod", old);
  RecordResult(1, 750, 4);  // an undisturbed rewrite gives the new bytes
  const Bytes rewritten = ReadFile("tyuu.pod");
  for (int i = 0; i <= static_cast<int>(RewriteStep::kSyncDirectory); ++i) {
    g_target = static_cast<RewriteStep>(i);
    const Bytes& expected = g_target > RewriteStep::kReplace ? rewritten : old;
    WriteFile("tyuu.pod", old);
    ASSERT_TRUE(RecordKilledAt(g_target, 750)) << i;
    EXPECT_EQ(ReadFile("tyuu.pod"), expected) << i;
    // The next game records normally over whatever the crash left behind.
    WriteFile("tyuu.pod", old);
    log_.Clear();
    RecordResult(1, 750, 4);
    EXPECT_EQ(ReadFile("tyuu.pod"), rewritten) << i;
    EXPECT_FALSE(Clapped()) << i;

    // A step the system refuses saves nothing and says so with the clap; only
    // the directory's flush comes after the new file has its name. A file
    // system without locks is written without one, and a table whose group a
    // new file cannot keep is written in place.
    const bool savedAnyway = &expected == &rewritten || g_target == RewriteStep::kLock ||
                             g_target == RewriteStep::kKeepOwner;
    WriteFile("tyuu.pod", old);
    log_.Clear();
    SetRewriteStepHook([](RewriteStep step) { return step != g_target; });
    RecordResult(1, 750, 4);
    SetRewriteStepHook(nullptr);
    EXPECT_EQ(ReadFile("tyuu.pod"), savedAnyway ? rewritten : old) << i;
    EXPECT_EQ(Clapped(), !savedAnyway) << i;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 2) << i;
  }
}

// A copy that finds the file in use reads and enters nothing; its player tries
// the same score again until it is entered, so the copies keep meeting at the
// file, and in the end it holds the ten best of all their results.
TEST_F(RecordResultTest, CopiesRecordingAtOnceLoseNothing) {
  constexpr int kCopies = 6, kGamesEach = 12;
  WriteFile("zel.ini", std::string("Taro"));
  WriteFile("tyuu.pod", StoredFile(Rows({900, 800, 700, 600, 500, 400, 300, 200, 100, 50})));
  std::vector<pid_t> children;
  for (int copy = 0; copy < kCopies; ++copy) {
    if (const pid_t pid = ::fork(); pid != 0) {
      children.push_back(pid);
      continue;
    }
    bool sound = true;
    for (int game = 0; game < kGamesEach; ++game) {
      bool entered = false;
      for (int attempt = 0; attempt < 100000 && !entered; ++attempt) {
        const auto table = RecordResult(1, 1000 + game * kCopies + copy, copy);
        entered = (*table)[0].name[0] != '\0';
        sound = sound && (entered || (*table)[0].color == kScoreRowWhite);
      }
      sound = sound && entered;
    }
    ::_exit(sound ? 0 : 1);
  }
  for (pid_t child : children) EXPECT_TRUE(ExitedWithZero(child));
  const Bytes file = ReadFile("tyuu.pod");
  ASSERT_EQ(file.size(), 590u);
  ScoreTable table{};
  DecodeScoreFile(file.data(), file.size(), table);
  for (int k = 0; k < 10; ++k) {
    const int best = 1000 + kCopies * kGamesEach - 1 - k;
    EXPECT_EQ(table[k].score, best) << "rank " << k + 1;
    EXPECT_EQ(std::string(table[k].removedText), std::to_string((best - 1000) % kCopies));
  }
}

}  // namespace
