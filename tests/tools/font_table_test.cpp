// The font table split for the browser's page: its glyphs and the late file's
// are together exactly the whole table's, the index is the same, and no glyph
// of the game's own texts' lead bytes (up to 0x98) is left for later.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Table {
  std::vector<int> index;
  std::vector<std::uint8_t> glyphs;  // kDoubleGlyphs, row after row
  int glyphCount = -1;
  int lateCount = -1;
};

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The numbers between the '{' after `name` and the "};" that ends its array.
std::vector<int> Numbers(const std::string& source, const std::string& name) {
  const std::size_t at = source.find(name);
  if (at == std::string::npos) return {};
  const std::size_t open = source.find('{', at);
  const std::size_t end = source.find("};", open);
  std::vector<int> numbers;
  const std::string body = source.substr(open, end - open);
  const std::regex number("[0-9]+");
  for (auto it = std::sregex_iterator(body.begin(), body.end(), number);
       it != std::sregex_iterator(); ++it) {
    numbers.push_back(std::stoi(it->str()));
  }
  return numbers;
}

int Constant(const std::string& source, const std::string& name) {
  std::smatch match;
  if (!std::regex_search(source, match, std::regex(name + " = ([0-9]+);"))) return -1;
  return std::stoi(match[1].str());
}

Table Parse(const fs::path& cpp) {
  const std::string source = Read(cpp);
  Table table;
  table.index = Numbers(source, "kDoubleIndex[");
  for (const int byte : Numbers(source, "kDoubleGlyphs[")) {
    table.glyphs.push_back(static_cast<std::uint8_t>(byte));
  }
  table.glyphCount = Constant(source, "kDoubleGlyphCount");
  table.lateCount = Constant(source, "kLateGlyphCount");
  return table;
}

class FontTableSplit : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(MORVEX2_UNIFONT_HEX)) GTEST_SKIP() << "no " << MORVEX2_UNIFONT_HEX;
    folder_ = fs::temp_directory_path() / ("morvex2-font-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  int Make(const std::string& arguments) {
    const std::string command =
        std::string(MORVEX2_GEN_FONT_TABLE) + " " + MORVEX2_UNIFONT_HEX + " " + arguments;
    return std::system(command.c_str());
  }

  fs::path folder_;
};

TEST_F(FontTableSplit, LeavesOutOnlyTheRarerKanjiAndLosesNoGlyph) {
  ASSERT_EQ(Make((folder_ / "whole.cpp").string()), 0);
  ASSERT_EQ(Make((folder_ / "split.cpp").string() + " " + (folder_ / "glyphs.late").string()), 0);
  const Table whole = Parse(folder_ / "whole.cpp");
  const Table split = Parse(folder_ / "split.cpp");
  const std::string late = Read(folder_ / "glyphs.late");

  EXPECT_EQ(whole.lateCount, 0);
  EXPECT_GT(whole.glyphCount, 7000);
  EXPECT_EQ(split.index, whole.index);
  EXPECT_EQ(split.glyphCount + split.lateCount, whole.glyphCount);
  EXPECT_GT(split.lateCount, 3000);
  ASSERT_EQ(late.size(), static_cast<std::size_t>(split.lateCount) * 32);
  std::vector<std::uint8_t> together = split.glyphs;
  together.insert(together.end(), late.begin(), late.end());
  EXPECT_EQ(together, whole.glyphs);

  // Lead bytes 0x81-0x98 are the first 24 rows of 188 codes.
  constexpr int kEarlyCodes = 24 * 188;
  for (int code = 0; code < kEarlyCodes; ++code) {
    EXPECT_LE(split.index[code], split.glyphCount) << "code " << code;
  }
}

}  // namespace
