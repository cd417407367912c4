#include "platform/base/line_log.h"

#include <cerrno>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "platform/base/files.h"
#include "platform/base/whole_file.h"

namespace platform {

namespace {

// Lines end in CR LF, which every Windows editor shows as lines; a file
// edited elsewhere may end them in LF alone.
constexpr char kLineEnd[] = "\r\n";
constexpr std::size_t kLargestFile = 2 * LineLog::kKeptLines * (LineLog::kLongestLine + 2);

std::string Cut(std::string_view line) {
  std::string cut(line.substr(0, LineLog::kLongestLine));
  for (char& c : cut) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return cut;
}

}  // namespace

void LineLog::Open(std::string path) {
  path_ = std::move(path);
  lines_.clear();
  linesInFile_ = 0;
  const std::optional<std::vector<std::uint8_t>> bytes = ReadSmallFile(path_, kLargestFile);
  if (!bytes) {
    // Nothing there yet is the usual first start; anything else is replaced.
    if (errno != ENOENT) WriteAll();
    return;
  }
  std::size_t start = 0;
  while (start < bytes->size()) {
    std::size_t end = start;
    while (end < bytes->size() && (*bytes)[end] != '\n') ++end;
    std::size_t length = end - start;
    if (length > 0 && (*bytes)[start + length - 1] == '\r') --length;
    lines_.push_back(
        Cut(std::string_view(reinterpret_cast<const char*>(bytes->data()) + start, length)));
    if (lines_.size() > kKeptLines) lines_.pop_front();
    ++linesInFile_;
    start = end + 1;
  }
  if (linesInFile_ > kKeptLines) WriteAll();
}

void LineLog::Append(std::string_view line) {
  if (!IsOpen()) return;
  std::string kept = Cut(line);
  lines_.push_back(kept);
  if (lines_.size() > kKeptLines) lines_.pop_front();
  if (linesInFile_ + 1 > 2 * kKeptLines) {
    WriteAll();
    return;
  }
  // Added at the end of the file as it is now, which another copy of the
  // game may have lengthened meanwhile.
  File file = File::OpenForWriting(path_);
  const std::optional<FileInfo> info = file.IsOpen() ? file.Info() : std::nullopt;
  if (!info) {
    WriteAll();
    return;
  }
  kept += kLineEnd;
  tookLast_ = file.WriteAt(
      info->size, std::span(reinterpret_cast<const std::uint8_t*>(kept.data()), kept.size()));
  if (tookLast_) ++linesInFile_;
}

void LineLog::WriteAll() {
  std::string text;
  for (const std::string& line : lines_) text += line + kLineEnd;
  const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  tookLast_ = WriteWholeFile(path_, bytes, WriteMode::kReplace);
  if (tookLast_) linesInFile_ = lines_.size();
}

}  // namespace platform
