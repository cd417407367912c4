// A small text file of lines that keeps only the last few hundred: the
// game's lines for a player who has no console to read them in. It never
// grows past twice its bound: when it would, it is written again with only
// its last lines. Failing to write it is silent, as a log cannot say its own
// failures.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace platform {

class LineLog {
 public:
  static constexpr std::size_t kKeptLines = 300;
  // A line longer than this is cut, so that the bound holds in bytes too.
  static constexpr std::size_t kLongestLine = 1000;

  // Starts keeping lines in `path`, after the last kKeptLines lines that it
  // holds already; a file that is not one of lines (too large, a folder) is
  // started afresh.
  void Open(std::string path);
  [[nodiscard]] bool IsOpen() const { return !path_.empty(); }
  // One line, without its line end.
  void Append(std::string_view line);
  // Whether the last line appended reached the file.
  [[nodiscard]] bool TookLastLine() const { return tookLast_; }

 private:
  void WriteAll();

  std::string path_;
  std::deque<std::string> lines_;  // the file's last lines, at most kKeptLines
  std::size_t linesInFile_ = 0;
  bool tookLast_ = false;
};

}  // namespace platform
