// Tables and the files beside them as Windows players keep them: marked
// read-only, in a read-only folder, a folder in a table's place, and deep in
// folders past the old 260-character limit. A result is saved, or kept out
// and said; never shown as saved when it was not. Runs under Wine.
#include <direct.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "platform/base/call_log.h"
#include "platform/base/clock.h"
#include "platform/base/files.h"
#include "platform/base/log.h"
#include "platform/base/user_folders.h"
#include "platform/base/whole_file.h"
#include "platform/win32/host.h"
#include "ranking/score_file.h"
#include "ranking/score_table.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::span<const std::uint8_t> BytesOf(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::wstring Wide(const std::string& path) {
  return fs::path(std::u8string(path.begin(), path.end())).wstring();
}

// Windows' read-only mark, which is all that a file's permissions are there.
// The same, marked so that the C++ library reaches folders past 260 characters.
std::wstring Long(const std::string& path) {
  return L"\\\\?\\" + fs::path(Wide(path)).make_preferred().wstring();
}

void MarkReadOnly(const std::string& path, bool readOnly) {
  std::error_code error;
  fs::permissions(Wide(path),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  readOnly ? fs::perm_options::remove : fs::perm_options::add, error);
  ASSERT_FALSE(error) << path << ": " << error.message();
}

Bytes Read(const std::string& path) {
  return platform::ReadSmallFile(path, 4096).value_or(Bytes{});
}

// A table of ten rows scored 900 down to 0, as the game writes one.
Bytes FallingTable() {
  ScoreTable table{};
  for (int i = 0; i < 10; ++i) {
    std::snprintf(table[i].scoreText, sizeof table[i].scoreText, "%d", 900 - 100 * i);
  }
  const ScoreFileBytes bytes = EncodeScoreFile(table);
  return {bytes.begin(), bytes.end()};
}

// The game's working folder for one test: its tables, its name file, a
// clock and a log of calls.
class WindowsTables : public testing::Test {
 protected:
  void SetUp() override {
    static const std::string root = (fs::temp_directory_path() / "morvex2-windows-tables").string();
    root_ = root;
    fs::remove_all(Wide(root_));
    ASSERT_TRUE(platform::MakeFolders(root_));
    ASSERT_TRUE(platform::SetWorkingFolder(root_));
    platform::InstallHost({.clock = &clock_, .calls = &log_});
  }
  void TearDown() override {
    platform::UninstallHost();
    ASSERT_TRUE(platform::SetWorkingFolder(fs::temp_directory_path().string()));
    for (const auto& entry : fs::recursive_directory_iterator(Wide(root_))) {
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    }
    fs::remove_all(Wide(root_));
  }
  // Offers 1000 to the middle level's table in the working folder.
  std::unique_ptr<ScoreTable> Record(bool& lost, std::string& said) {
    log_.Clear();
    testing::internal::CaptureStderr();
    auto table = RecordResult(1, 1000, 4, &lost);
    said = testing::internal::GetCapturedStderr();
    return table;
  }

  std::string root_;
  platform::VirtualClock clock_{0, 1796488723};
  platform::CallLog log_;
};

TEST_F(WindowsTables, AResultIsSavedOrKeptOutAndSaid) {
  const Bytes old = FallingTable();
  struct Case {
    const char* what;
    void (*prepare)(const std::string& folder);
    bool saved;
    const char* said;  // a part of what is said when the result is kept out
  } const cases[] = {
      {"a plain table", [](const std::string&) {}, true, ""},
      {"a table marked read-only", [](const std::string&) { MarkReadOnly("tyuu.pod", true); },
       false, "tyuu.pod: the table is read-only, and the game leaves it so"},
      // Windows itself lets a read-only folder take new files; Wine does not,
      // and the table is then rewritten in place.
      {"a folder marked read-only", [](const std::string& folder) { MarkReadOnly(folder, true); },
       true, ""},
      {"a folder in the table's place",
       [](const std::string&) {
         fs::remove(L"tyuu.pod");
         fs::create_directory(L"tyuu.pod");
       },
       false, "not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = root_ + "/" + c.what;
    ASSERT_TRUE(platform::MakeFolders(folder));
    ASSERT_TRUE(platform::SetWorkingFolder(folder));
    ASSERT_TRUE(platform::WriteWholeFile("tyuu.pod", old, platform::WriteMode::kCreateOnly));
    ASSERT_TRUE(
        platform::WriteWholeFile("zel.ini", BytesOf("Taro"), platform::WriteMode::kReplace));
    c.prepare(folder);
    bool lost = false;
    std::string said;
    const auto table = Record(lost, said);
    EXPECT_EQ(lost, !c.saved);
    EXPECT_EQ((*table)[0].color == kScoreRowRed, c.saved);
    if (c.saved) {
      EXPECT_EQ((*table)[0].score, 1000);
      const ScoreFileBytes shown = EncodeScoreFile(*table);
      EXPECT_EQ(Read("tyuu.pod"), Bytes(shown.begin(), shown.end()));
    } else {
      EXPECT_NE(said.find(c.said), std::string::npos) << said;
      EXPECT_NE(said.find("this game's result (score 1000, 4 removed): not saved in tyuu.pod"),
                std::string::npos)
          << said;
      if (fs::is_regular_file(L"tyuu.pod")) {
        EXPECT_EQ(Read("tyuu.pod"), old);
      }
    }
    // Nothing is left beside the table.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(Wide(folder))) ++entries;
    EXPECT_EQ(entries, 2u);
    MarkReadOnly(folder, false);
  }
}

// The best game's replay marked read-only stays as it is: Windows does not
// replace it, and the game says why rather than that it was busy.
TEST_F(WindowsTables, AReadOnlyReplayIsKeptAsItIs) {
  ASSERT_TRUE(
      platform::WriteWholeFile("tyuu-best.mvr", BytesOf("old"), platform::WriteMode::kCreateOnly));
  MarkReadOnly("tyuu-best.mvr", true);
  errno = 0;
  EXPECT_FALSE(
      platform::WriteWholeFile("tyuu-best.mvr", BytesOf("new"), platform::WriteMode::kReplace));
  EXPECT_EQ(errno, EACCES);
  EXPECT_EQ(Read("tyuu-best.mvr"), Bytes({'o', 'l', 'd'}));
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(Wide(root_))) ++entries;
  EXPECT_EQ(entries, 1u);
}

// A folder of exactly `length` characters under `root`, in parts a file
// system takes.
std::string FolderOfLength(const std::string& root, std::size_t length) {
  std::string folder = root;
  for (char part = 'a'; folder.size() < length; ++part) {
    const std::size_t left = length - folder.size() - 1;
    // A part never leaves less than two characters for the next.
    const std::size_t size = left <= 200 ? left : std::min<std::size_t>(200, left - 2);
    folder += "\\" + std::string(size, part);
  }
  return folder;
}

// Every file the game writes and reads in its data folder, with the folder
// just under, at and far past the old limit.
TEST_F(WindowsTables, ADataFolderOfAnyLengthWorks) {
  for (const std::size_t length : {259u, 300u, 1000u}) {
    SCOPED_TRACE(length);
    const std::string folder = FolderOfLength(root_, length);
    ASSERT_EQ(folder.size(), length);
    ASSERT_TRUE(platform::MakeFolders(folder));
    ASSERT_TRUE(platform::SetWorkingFolder(folder));
    ASSERT_TRUE(
        platform::WriteWholeFile("tyuu.pod", FallingTable(), platform::WriteMode::kCreateOnly));
    ASSERT_TRUE(
        platform::WriteWholeFile("zel.ini", BytesOf("Taro"), platform::WriteMode::kReplace));
    bool lost = true;
    std::string said;
    const auto table = Record(lost, said);
    EXPECT_FALSE(lost) << said;
    EXPECT_EQ(said, "");
    ScoreTable kept{};
    const Bytes bytes = Read("tyuu.pod");
    DecodeScoreFile(bytes.data(), bytes.size(), kept);
    EXPECT_EQ(kept[0].score, 1000);
    // The best replay and its replacement, by a relative name and by a whole one.
    for (const std::string& replay : {std::string("tyuu-best.mvr"), folder + "\\last.mvr"}) {
      for (const std::string content : {"first", "second"}) {
        EXPECT_TRUE(
            platform::WriteWholeFile(replay, BytesOf(content), platform::WriteMode::kReplace))
            << replay << ": " << std::strerror(errno);
        EXPECT_EQ(Read(replay), Bytes(content.begin(), content.end()));
      }
    }
    const auto resolved = platform::ResolvedPath("tyuu.pod");
    ASSERT_TRUE(resolved.has_value()) << std::strerror(errno);
    EXPECT_TRUE(resolved->ends_with("\\tyuu.pod") && resolved->size() > length) << *resolved;
    EXPECT_TRUE(platform::RemoveFile("last.mvr"));
    EXPECT_FALSE(platform::InfoOf("last.mvr", platform::Links::kFollow).has_value());
    // Taken down again from the inside out: the C++ library's own removal
    // stops at 260 characters.
    for (const char* name : {"tyuu.pod", "zel.ini", "tyuu-best.mvr"}) {
      EXPECT_TRUE(platform::RemoveFile(name)) << name;
    }
    ASSERT_TRUE(platform::SetWorkingFolder(root_));
    for (std::string part = folder; part.size() > root_.size(); part.resize(part.rfind('\\'))) {
      EXPECT_EQ(::_wrmdir(Long(part).c_str()), 0) << part.size();
    }
  }
}

// The lines said go to standard error and, once the data folder is known,
// into its morvex2.log, each with its date and time; those said before are
// put in first. Last in this file: the log stays kept for the rest of the run.
TEST_F(WindowsTables, TheLinesSaidAreKeptInTheDataFolder) {
  platform::LogLine("morvex2: said before the folder was known");
  const std::string log = root_ + "\\morvex2.log";
  platform::LogToFile(log);
  testing::internal::CaptureStderr();
  platform::LogError("reading Clap.wav", "not a clap the game can play: no RIFF header");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "morvex2: reading Clap.wav: not a clap the game can play: no RIFF header\n");
  const Bytes bytes = Read(log);
  const std::string text(bytes.begin(), bytes.end());
  const std::regex dated(
      "(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d morvex2: [^\\r\\n]*\\r\\n)*"
      "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d morvex2: said before the folder was known\\r\\n"
      "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d morvex2: reading Clap.wav: not a clap the game "
      "can play: no RIFF header\\r\\n");
  EXPECT_TRUE(std::regex_match(text, dated)) << text;
}

}  // namespace
