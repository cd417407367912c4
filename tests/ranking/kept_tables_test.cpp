// Tables kept the way players keep them: linked in from a synced folder,
// shared by a group, in a folder they may not write, with a hard link, cut
// short, next to leftovers; and two copies of the game recording at once.
// Each must receive its entry and stay what it was.
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "ranking/score_file.h"
#include "tests/ranking/score_file_helpers.h"

namespace {

using namespace ranking_test;
namespace fs = std::filesystem;

const auto kFalling = Rows({900, 800, 700, 600, 500, 400, 300, 200, 100, 50});

// The falling table with Taro's 1000 at the top.
Bytes WithEntry() {
  auto rows = kFalling;
  rows.insert(rows.begin(), {"Taro", kEntryDate, "1000", "4"});
  rows.resize(10);
  return StoredFile(rows);
}

// The line that follows every reason a result was kept out of its table.
const std::string kNotSaved =
    "morvex2: this game's result (score 1000, 4 removed): not saved in tyuu.pod\n";

// What `body` wrote on standard error.
std::string StderrOf(const std::function<void()>& body) {
  testing::internal::CaptureStderr();
  body();
  return testing::internal::GetCapturedStderr();
}

std::size_t EntriesIn(const fs::path& folder) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
}

class KeptTableTest : public ScoreFileTest {
 protected:
  void SetUp() override {
    ScoreFileTest::SetUp();
    WriteFile("zel.ini", std::string("Taro"));
  }
  // Records 1000 for the middle level; true when it entered at the top.
  bool Record() {
    log_.Clear();
    const auto table = RecordResult(1, 1000, 4);
    return (*table)[0].color == kScoreRowRed;
  }
  struct stat Stat(const char* path) {
    struct stat status {};
    EXPECT_EQ(::stat(path, &status), 0) << path;
    return status;
  }
};

TEST_F(KeptTableTest, ALinkedTableReceivesTheEntryAndStaysALink) {
  fs::create_directories("synced/tables");
  struct Case {
    const char* what;
    const char* target;  // where tyuu.pod leads
  } const cases[] = {
      {"a link beside it", "backup.pod"},
      {"a link to another folder", "synced/tables/tyuu.pod"},
      {"a link to a link", "second.pod"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove("tyuu.pod");
    WriteFile("backup.pod", StoredFile(kFalling));
    WriteFile("synced/tables/tyuu.pod", StoredFile(kFalling));
    fs::remove("second.pod");
    fs::create_symlink("backup.pod", "second.pod");
    fs::create_symlink(c.target, "tyuu.pod");
    EXPECT_TRUE(Record());
    EXPECT_TRUE(fs::is_symlink("tyuu.pod"));
    EXPECT_EQ(fs::read_symlink("tyuu.pod"), c.target);
    EXPECT_EQ(ReadFile(c.target), WithEntry());
    EXPECT_TRUE(fs::is_symlink("second.pod"));
    EXPECT_FALSE(Clapped());
    EXPECT_EQ(EntriesIn("."), 5u);  // zel.ini, tyuu.pod, backup, second, synced
    EXPECT_EQ(EntriesIn("synced/tables"), 1u);
  }

  // A link that leads nowhere is a missing table: nothing is read, entered or
  // created through it; but unlike a missing table, it is said.
  const std::string said =
      "morvex2: open(tyuu.pod): the link leads to no file, so the table is not read or saved\n" +
      kNotSaved;
  fs::remove("tyuu.pod");
  fs::create_symlink("synced/gone/tyuu.pod", "tyuu.pod");
  fs::create_symlink("gone.pod", "dangling.pod");
  EXPECT_EQ(StderrOf([&] { EXPECT_FALSE(Record()); }), said);
  fs::remove("tyuu.pod");
  fs::create_symlink("dangling.pod", "tyuu.pod");
  EXPECT_EQ(StderrOf([&] { EXPECT_FALSE(Record()); }), said);
  EXPECT_FALSE(fs::exists("gone.pod"));
  EXPECT_FALSE(fs::exists("synced/gone"));
  EXPECT_FALSE(Clapped());
}

TEST_F(KeptTableTest, OddButWritableTablesReceiveTheEntry) {
  struct Case {
    const char* what;
    std::function<void()> prepare;
  } const cases[] = {
      {"a table of 1 byte", [] { WriteFile("tyuu.pod", Bytes(1, 'x' - 0x20)); }},
      {"a table of 589 bytes",
       [] {
         Bytes bytes = StoredFile(kFalling);
         bytes.resize(589);
         WriteFile("tyuu.pod", bytes);
       }},
      {"a leftover directory where the new file would go",
       [] {
         WriteFile("tyuu.pod", StoredFile(kFalling));
         fs::create_directory("tyuu.pod.new");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove("tyuu.pod");
    c.prepare();
    EXPECT_TRUE(Record());
    const Bytes after = ReadFile("tyuu.pod");
    ASSERT_EQ(after.size(), 590u);
    ScoreTable table{};
    DecodeScoreFile(after.data(), after.size(), table);
    EXPECT_EQ(table[0].score, 1000);
    EXPECT_STREQ(table[0].name, "Taro");
    EXPECT_FALSE(Clapped());
  }
  // The full table of the last case comes back exactly.
  EXPECT_EQ(ReadFile("tyuu.pod"), WithEntry());
}

// A name file or a table that is no regular file keeps the result out as
// ever, but no longer without a word: one line each, and the line that says
// the result was not saved.
TEST_F(KeptTableTest, AResultKeptOutByAFileOfTheWrongKindIsSaidInOneLine) {
  const std::string noName =
      "morvex2: reading zel.ini: not a regular file, so the new high score is not entered\n";
  struct Case {
    const char* what;
    std::function<void()> prepare;
    std::string said;
  } const cases[] = {
      {"zel.ini a folder", [] { fs::create_directory("zel.ini"); }, noName},
      {"zel.ini a FIFO", [] { ::mkfifo("zel.ini", 0600); }, noName},
      {"zel.ini a device", [] { fs::create_symlink("/dev/null", "zel.ini"); }, noName},
      {"the table a FIFO", [] { fs::remove("tyuu.pod"), ::mkfifo("tyuu.pod", 0600); },
       "morvex2: open(tyuu.pod): not a regular file, so the table is not read or saved\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all("zel.ini");
    fs::remove("tyuu.pod");
    WriteFile("tyuu.pod", StoredFile(kFalling));
    c.prepare();
    if (!fs::exists("zel.ini")) WriteFile("zel.ini", std::string("Taro"));
    EXPECT_EQ(StderrOf([&] { EXPECT_FALSE(Record()); }), c.said + kNotSaved);
    if (fs::is_regular_file("tyuu.pod")) {
      EXPECT_EQ(ReadFile("tyuu.pod"), StoredFile(kFalling));
    }
    EXPECT_FALSE(Clapped());
  }
}

TEST_F(KeptTableTest, AHardLinkedTableIsRewrittenInPlaceAndKeepsItsLinks) {
  WriteFile("tyuu.pod", StoredFile(kFalling));
  fs::create_hard_link("tyuu.pod", "backup.pod");
  const ino_t inode = Stat("tyuu.pod").st_ino;
  EXPECT_TRUE(Record());
  EXPECT_EQ(ReadFile("backup.pod"), WithEntry());
  EXPECT_EQ(Stat("tyuu.pod").st_ino, inode);
  EXPECT_EQ(fs::hard_link_count("tyuu.pod"), 2u);
  EXPECT_EQ(EntriesIn("."), 3u);

  // Killed just before the one write, or just after it: the old table or the
  // new one, never a mix.
  for (const bool afterWrite : {false, true}) {
    WriteFile("tyuu.pod", StoredFile(kFalling));
    ASSERT_TRUE(
        RecordKilledAt(afterWrite ? RewriteStep::kSyncInPlace : RewriteStep::kWriteInPlace, 1000));
    EXPECT_EQ(ReadFile("backup.pod"), afterWrite ? WithEntry() : StoredFile(kFalling));
  }
}

// Runs `body` in a child process as the unprivileged user "nobody" with the
// extra group `group`, where the machine lets a test do that (it runs as
// root); the child's result is its exit status.
constexpr gid_t kSharedGroup = 4242;
constexpr uid_t kNobody = 65534;

bool AsPlayer(const std::function<bool()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    const gid_t groups[] = {kSharedGroup};
    const bool dropped =
        ::setgroups(1, groups) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
    ::_exit(dropped && body() ? 0 : 1);
  }
  return ExitedWithZero(child);
}

TEST_F(KeptTableTest, ASharedTableStaysTheGroupsWhoeverWritesIt) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another player";
  ASSERT_EQ(::chmod(".", 0777), 0);
  ASSERT_EQ(::chmod("zel.ini", 0644), 0);
  struct Case {
    const char* what;
    mode_t folderMode;
    bool groupRefused;  // the system will not let the new file keep the group
    bool inPlace;
  } const cases[] = {
      {"a shared folder", 0777, false, false},
      {"a group the new file cannot keep", 0777, true, true},
      {"a folder the player may not write", 0555, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(::chmod(".", 0777), 0);
    fs::remove("tyuu.pod");
    WriteFile("tyuu.pod", StoredFile(kFalling));
    ASSERT_EQ(::chown("tyuu.pod", 0, kSharedGroup), 0);
    ASSERT_EQ(::chmod("tyuu.pod", 0664), 0);
    ASSERT_EQ(::chmod(".", c.folderMode), 0);
    const ino_t inode = Stat("tyuu.pod").st_ino;
    static bool refuse;
    refuse = c.groupRefused;
    EXPECT_TRUE(AsPlayer([this] {
      if (refuse)
        SetRewriteStepHook([](RewriteStep step) { return step != RewriteStep::kKeepOwner; });
      return Record() && !Clapped();
    }));
    const struct stat after = Stat("tyuu.pod");
    EXPECT_EQ(ReadFile("tyuu.pod"), WithEntry());
    EXPECT_EQ(after.st_gid, kSharedGroup);
    EXPECT_EQ(after.st_mode & 07777, 0664u);
    // Only in place does the owner stay: a new file can be given away by root alone.
    EXPECT_EQ(after.st_uid, c.inPlace ? 0u : kNobody);
    EXPECT_EQ(after.st_ino == inode, c.inPlace);
    EXPECT_EQ(EntriesIn("."), 2u);
  }
  ASSERT_EQ(::chmod(".", 0700), 0);
}

TEST_F(KeptTableTest, TwoCopiesRecordingAtTheSameInstantBothEnter) {
  WriteFile("tyuu.pod", StoredFile(kFalling));
  int start[2];
  ASSERT_EQ(::pipe(start), 0);
  std::vector<pid_t> children;
  for (int copy = 0; copy < 2; ++copy) {
    if (const pid_t pid = ::fork(); pid != 0) {
      children.push_back(pid);
      continue;
    }
    ::close(start[1]);
    char go = 0;
    (void)!::read(start[0], &go, 1);  // both wait here until the pipe closes
    const auto table = RecordResult(1, 1000 + copy, copy);
    // Each shows its own entry in red, at the top or just under the other's,
    // above the table as it was: never an empty table.
    bool shown = false, kept = false;
    for (int k = 0; k < 3; ++k) {
      shown = shown || ((*table)[k].color == kScoreRowRed && (*table)[k].score == 1000 + copy);
      kept = kept || (k > 0 && (*table)[k].score == 900);
    }
    ::_exit(shown && kept ? 0 : 1);
  }
  ::close(start[0]);
  ::close(start[1]);
  for (const pid_t child : children) EXPECT_TRUE(ExitedWithZero(child));
  const Bytes file = ReadFile("tyuu.pod");
  ScoreTable table{};
  DecodeScoreFile(file.data(), file.size(), table);
  EXPECT_EQ(table[0].score, 1001);
  EXPECT_EQ(table[1].score, 1000);
  EXPECT_EQ(table[2].score, 900);
}

}  // namespace
