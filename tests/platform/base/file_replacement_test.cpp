// A replacement removes what replacements of the same file left behind when
// their copy of the game died, and nothing else: not a file another running
// copy is still writing, not a player's own file of a similar name.
#include <gtest/gtest.h>
#include <stdlib.h>

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

TEST(FileReplacement, RemovesOnlyTheLeftoversOfDeadReplacements) {
  std::string folder = fs::temp_directory_path() / "morvex2-replace-XXXXXX";
  ASSERT_NE(::mkdtemp(folder.data()), nullptr);
  const fs::path dir = folder;
  const std::string path = (dir / "last.mvr").string();
  std::ofstream(dir / "last.mvr.new.a1B2c3") << "a dead copy's";
  std::ofstream(dir / "last.mvr.new.mine") << "the player's";
  std::ofstream(dir / "other.mvr.new.a1B2c3") << "another file's";
  fs::create_directory(dir / "last.mvr.new.Zz9Zz9");

  // Another copy writes while this one replaces the same file.
  platform::FileReplacement running(path);
  ASSERT_TRUE(running.Ok());
  ASSERT_TRUE(running.Append(BytesOf("first")));
  ASSERT_TRUE(platform::WriteWholeFile(path, BytesOf("second"), platform::WriteMode::kReplace));
  ASSERT_TRUE(running.Commit(platform::WriteMode::kReplace));

  std::ifstream in(path);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "first");
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
  EXPECT_EQ(names, (std::set<std::string>{"last.mvr", "last.mvr.new.mine", "other.mvr.new.a1B2c3",
                                          "last.mvr.new.Zz9Zz9"}));
  fs::remove_all(dir);
}

}  // namespace
