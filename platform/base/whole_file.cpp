#include "platform/base/whole_file.h"

#include <cerrno>
#include <utility>

namespace platform {

bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes, WriteMode mode,
                    std::uint32_t permissions) {
  FileReplacement file(path, permissions);
  return file.Append(bytes) && file.Commit(mode);
}

std::optional<std::vector<std::uint8_t>> ReadSmallFile(const std::string& path, std::size_t limit) {
  errno = 0;
  File file = File::OpenForReading(path);
  if (!file.IsOpen()) return std::nullopt;
  const std::optional<FileInfo> info = file.Info();
  if (!info || info->kind != FileKind::kRegular || info->size > limit) return std::nullopt;
  // Read one byte past the size seen, so that a file that grew is noticed.
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info->size) + 1);
  const std::optional<std::size_t> size = file.Read(bytes);
  if (!size || *size > limit || *size == bytes.size()) return std::nullopt;
  bytes.resize(*size);
  return bytes;
}

}  // namespace platform
