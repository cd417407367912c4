// A replacement removes what replacements of the same file left behind when
// their copy of the game died, and nothing else: not a file another running
// copy is still writing, not a player's own file of a similar name. A table
// locked by one handle is busy to every other, yet readable, and a
// replacement takes its name while it is open, on every system.
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "platform/base/files.h"
#include "platform/base/whole_file.h"

namespace {

namespace fs = std::filesystem;

std::span<const std::uint8_t> BytesOf(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// A scratch folder of the test's own; its name may be outside any code page.
fs::path Scratch(const std::string& utf8Name) {
  const std::string name = "morvex2-" + utf8Name;
  fs::path dir = fs::temp_directory_path() / std::u8string(name.begin(), name.end());
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

TEST(FileReplacement, RemovesOnlyTheLeftoversOfDeadReplacements) {
  const fs::path dir = Scratch("replace");
  const std::string path = Utf8(dir / "last.mvr");
  std::ofstream(dir / "last.mvr.new.a1b2c3") << "a dead copy's";
  std::ofstream(dir / "last.mvr.new.mine") << "the player's";
  std::ofstream(dir / "other.mvr.new.a1b2c3") << "another file's";
  fs::create_directory(dir / "last.mvr.new.zz9zz9");

  // Another copy writes while this one replaces the same file.
  platform::FileReplacement running(path);
  ASSERT_TRUE(running.Ok());
  ASSERT_TRUE(running.Append(BytesOf("first")));
  ASSERT_TRUE(platform::WriteWholeFile(path, BytesOf("second"), platform::WriteMode::kReplace));
  ASSERT_TRUE(running.Commit(platform::WriteMode::kReplace));

  const auto kept = platform::ReadSmallFile(path, 16);
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ(std::string(kept->begin(), kept->end()), "first");
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(Utf8(entry.path().filename()));
  EXPECT_EQ(names, (std::set<std::string>{"last.mvr", "last.mvr.new.mine", "other.mvr.new.a1b2c3",
                                          "last.mvr.new.zz9zz9"}));
  fs::remove_all(dir);
}

TEST(FileReplacement, TakesTheNameOfALockedTableUnderAnyName) {
  const fs::path dir = Scratch("ファイル-ä");
  const std::string path = Utf8(dir / "tyuu.pod");
  ASSERT_TRUE(platform::WriteWholeFile(path, BytesOf("old"), platform::WriteMode::kReplace));
  platform::File held = platform::File::OpenForReading(path);
  ASSERT_EQ(held.TryLock(), platform::LockResult::kLocked);
  platform::File other = platform::File::OpenForReading(path);
  EXPECT_EQ(other.TryLock(), platform::LockResult::kBusy);
  std::array<std::uint8_t, 3> read{};
  EXPECT_TRUE(other.ReadAt(0, read)) << "the lock keeps others from rewriting, not from reading";

  platform::FileReplacement replacement(path);
  ASSERT_TRUE(replacement.Append(BytesOf("new")) && replacement.Sync());
  if (!replacement.PutInPlace(platform::WriteMode::kReplace)) {
    ASSERT_EQ(errno, EBUSY) << "only a system that replaces no open file may refuse";
    held.Close();
    other.Close();
    ASSERT_TRUE(replacement.PutInPlace(platform::WriteMode::kReplace));
  }
  const auto bytes = platform::ReadSmallFile(path, 16);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "new");
  EXPECT_EQ(platform::FolderOf(path), Utf8(dir));
  held.Close();
  other.Close();
  fs::remove_all(dir);
}

// Room reserved ahead holds, once in place, exactly the bytes written into
// it: what was not written is cut off, and a reservation smaller than what
// is already there changes nothing.
TEST(FileReplacement, ReservedRoomHoldsExactlyWhatWasWritten) {
  const fs::path dir = Scratch("reserved");
  const struct {
    const char* what;
    std::uint64_t reserved;  // before the second piece
  } cases[] = {
      {"room for every byte", 13},
      {"more room than is written", 4096},
      {"less room than is already there", 2},
  };
  for (const auto& c : cases) {
    const std::string path = Utf8(dir / "table");
    platform::FileReplacement replacement(path);
    ASSERT_TRUE(replacement.Append(BytesOf("header ")));
    ASSERT_TRUE(replacement.Reserve(c.reserved)) << c.what;
    ASSERT_TRUE(replacement.Append(BytesOf("body")));
    ASSERT_TRUE(replacement.Overwrite(0, BytesOf("H")));
    ASSERT_TRUE(replacement.Append(BytesOf("!!")));
    ASSERT_TRUE(replacement.Commit(platform::WriteMode::kReplace)) << c.what;
    std::ifstream in(dir / "table", std::ios::binary);
    const std::string kept{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(kept, "Header body!!") << c.what;
  }
  fs::remove_all(dir);
}

}  // namespace
