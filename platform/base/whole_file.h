// Small files of the player's that are read with care and written whole or not
// at all: a file being replaced is never seen half written, even when the
// program is killed or the power fails in the middle of it.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

enum class WriteMode {
  kReplace,     // the new bytes take the place of whatever the name held
  kCreateOnly,  // only where the name is free; an existing file is never touched
};

// Writes `bytes` beside `path` under a name of its own, flushes them to disk
// and then puts them in place in one step. On failure nothing changed at
// `path`, nothing is left beside it, and errno says why.
[[nodiscard]] bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes,
                                  WriteMode mode, mode_t permissions = 0644);

// The same for a file too large to be held in memory: written piece by piece
// beside `path`, and put in place by Commit. One destroyed before Commit, or
// whose Commit failed, leaves nothing behind.
class WholeFileWriter {
 public:
  explicit WholeFileWriter(std::string path, mode_t permissions = 0644);
  ~WholeFileWriter();
  WholeFileWriter(const WholeFileWriter&) = delete;
  WholeFileWriter& operator=(const WholeFileWriter&) = delete;

  // False once anything has failed; every later call then fails too.
  [[nodiscard]] bool Ok() const { return fd_ >= 0; }
  [[nodiscard]] bool Append(std::span<const std::uint8_t> bytes);
  // Writes over bytes already appended, from `offset` on.
  [[nodiscard]] bool Overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  // What was written so far, for reading it back.
  [[nodiscard]] int Descriptor() const { return fd_; }
  [[nodiscard]] bool Commit(WriteMode mode);

 private:
  void Abandon();

  std::string path_;
  std::string temporary_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

// The whole of a regular file of at most `limit` bytes. A FIFO, a device, a
// folder, a larger file or a read error give nothing; the open never blocks.
// On failure errno says why, or is 0 when the file is there but not one of
// those.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> ReadSmallFile(const std::string& path,
                                                                     std::size_t limit);

}  // namespace platform
