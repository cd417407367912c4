// The font table split for the browser's page: its glyphs and the late file's
// are together exactly the whole table's, each code still reaches its own
// glyph, and the kana, the symbols and the kanji of the texts given are
// carried, while the other kanji, one named only in a comment too, come later.
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

// The glyph of table code `code` (lead index * 188 + trail index), from the
// table or the late file; empty when the table has none.
std::vector<std::uint8_t> GlyphOf(const Table& table, const std::string& late, int code) {
  const int entry = table.index[static_cast<std::size_t>(code)];
  if (entry == 0) return {};
  if (entry <= table.glyphCount) {
    const auto at = table.glyphs.begin() + std::ptrdiff_t{entry - 1} * 32;
    return {at, at + 32};
  }
  const auto at = late.begin() + std::ptrdiff_t{entry - 1 - table.glyphCount} * 32;
  return {at, at + 32};
}

constexpr int Code(int lead, int trail) {
  return (lead - 0x81) * 188 + (trail <= 0x7E ? trail - 0x40 : trail - 0x41);
}

TEST_F(FontTableSplit, CarriesTheTextsGlyphsAndLosesNone) {
  // A text split into two literals, a comment with a kanji and a quote in it,
  // and a character literal.
  std::ofstream(folder_ / "texts.h")
      << "inline constexpr char kLevel[] = \"\\x81\" \"E\\x8f\\xe3\\x8b\\x89\";"
         "  // \"\\x88\\x9f\" is not drawn\n"
         "/* \"\\x88\\xa0\" */ inline constexpr char kQuote = '\"';\n";
  ASSERT_EQ(Make((folder_ / "whole.cpp").string()), 0);
  ASSERT_EQ(Make((folder_ / "split.cpp").string() + " " + (folder_ / "glyphs.late").string() + " " +
                 (folder_ / "texts.h").string()),
            0);
  const Table whole = Parse(folder_ / "whole.cpp");
  const Table split = Parse(folder_ / "split.cpp");
  const std::string late = Read(folder_ / "glyphs.late");

  EXPECT_EQ(whole.lateCount, 0);
  EXPECT_GT(whole.glyphCount, 7000);
  EXPECT_EQ(split.glyphCount + split.lateCount, whole.glyphCount);
  EXPECT_GT(split.lateCount, 6000);
  ASSERT_EQ(late.size(), static_cast<std::size_t>(split.lateCount) * 32);
  ASSERT_EQ(split.index.size(), whole.index.size());
  for (int code = 0; code < static_cast<int>(whole.index.size()); ++code) {
    EXPECT_EQ(GlyphOf(split, late, code), GlyphOf(whole, "", code)) << "code " << code;
  }

  // Lead bytes 0x81-0x87, the kana and symbols, are the first 7 rows.
  for (int code = 0; code < 7 * 188; ++code) {
    EXPECT_LE(split.index[static_cast<std::size_t>(code)], split.glyphCount) << "code " << code;
  }
  struct Row {
    int code;
    bool carried;
  };
  for (const Row row :
       {Row{Code(0x8F, 0xE3), true}, Row{Code(0x8B, 0x89), true}, Row{Code(0x88, 0x9F), false},
        Row{Code(0x88, 0xA0), false}, Row{Code(0x99, 0x40), false}}) {
    EXPECT_EQ(split.index[static_cast<std::size_t>(row.code)] <= split.glyphCount, row.carried)
        << "code " << row.code;
  }
}

TEST_F(FontTableSplit, FailsWithoutATextItWasGiven) {
  EXPECT_NE(Make((folder_ / "split.cpp").string() + " " + (folder_ / "glyphs.late").string() + " " +
                 (folder_ / "missing.h").string()),
            0);
}

}  // namespace
