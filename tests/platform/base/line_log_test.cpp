// The file of the game's lines for a player without a console: it keeps the
// last few hundred, whatever it held before and however many come, one line
// for each line said, and it never grows past twice its bound.
#include "platform/base/line_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using platform::LineLog;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The game ends its lines in CR LF; a file edited elsewhere may have LF alone.
std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    EXPECT_NE(end, std::string::npos) << "a line without its end";
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    if (lines.back().ends_with('\r')) lines.back().pop_back();
    start = end + 1;
  }
  return lines;
}

std::string Numbered(std::size_t i) {
  return "line " + std::to_string(i);
}

TEST(LineLog, KeepsTheLastLinesWithinItsBound) {
  const fs::path dir = fs::temp_directory_path() / "morvex2-line-log";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path path = dir / "morvex2.log";
  const std::size_t kept = LineLog::kKeptLines;
  struct Case {
    const char* what;
    std::size_t before;  // lines the file held, LF-ended; 0: no file
    std::size_t said;
  } const cases[] = {
      {"a first start", 0, 3},
      {"a short file goes on", 5, 2},
      {"a long file is cut to its last lines", 2 * kept + 100, 1},
      {"a long run stays within twice the bound", 10, 2 * kept + 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(path);
    std::vector<std::string> all;
    if (c.before > 0) {
      std::ofstream out(path, std::ios::binary);
      for (std::size_t i = 0; i < c.before; ++i) {
        all.push_back("old " + Numbered(i));
        out << all.back() << '\n';
      }
    }
    LineLog log;
    log.Open(path.string());
    std::size_t largest = 0;
    for (std::size_t i = 0; i < c.said; ++i) {
      all.push_back(Numbered(i));
      log.Append(all.back());
      if (i % 20 == 0) largest = std::max(largest, LinesOf(Read(path)).size());
    }
    EXPECT_LE(largest, 2 * kept);
    const std::vector<std::string> lines = LinesOf(Read(path));
    ASSERT_GE(lines.size(), std::min(all.size(), kept));
    // Whatever the file holds is the end of everything said, in order.
    EXPECT_TRUE(std::equal(lines.rbegin(), lines.rend(), all.rbegin())) << lines.back();
    // Opened again, it holds no more than its bound.
    LineLog again;
    again.Open(path.string());
    EXPECT_LE(LinesOf(Read(path)).size(), kept);
  }

  // A line is one line, and not an endless one.
  fs::remove(path);
  LineLog log;
  log.Open(path.string());
  log.Append("one\nline");
  log.Append(std::string(5000, 'x'));
  const std::string text = Read(path);
  EXPECT_TRUE(text.ends_with("x\r\n"));
  const std::vector<std::string> lines = LinesOf(text);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "one line");
  EXPECT_EQ(lines[1].size(), LineLog::kLongestLine);

  // A folder in the file's place is left alone, and nothing fails.
  fs::remove(path);
  fs::create_directory(path);
  LineLog blocked;
  blocked.Open(path.string());
  blocked.Append("nowhere");
  EXPECT_TRUE(fs::is_directory(path));
  fs::remove_all(dir);
}

}  // namespace
