// What the files' implementations share: the parts of files.h that only use
// the system through File's own operations.
#include "platform/base/files.h"

#include <utility>

namespace platform {

bool SameFile(const FileInfo& a, const FileInfo& b) {
  return a.device == b.device && a.inode == b.inode;
}

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

bool File::ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) const {
  return ReadUpTo(offset, into) == into.size();
}

FileReplacement::~FileReplacement() {
  Abandon();
}

bool FileReplacement::Append(std::span<const std::uint8_t> bytes) {
  if (!file_.IsOpen()) return false;
  if (!file_.Write(bytes)) {
    Abandon();
    return false;
  }
  size_ += bytes.size();
  return true;
}

bool FileReplacement::Overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (!file_.IsOpen()) return false;
  const bool ok = offset <= size_ && bytes.size() <= size_ - offset && file_.WriteAt(offset, bytes);
  if (!ok) Abandon();
  return ok;
}

bool FileReplacement::Reserve(std::uint64_t size) {
  if (!file_.IsOpen()) return false;
  if (size <= size_ || size <= reserved_) return true;
  if (!file_.Truncate(size)) {
    Abandon();
    return false;
  }
  reserved_ = size;
  return true;
}

bool FileReplacement::ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) const {
  return file_.IsOpen() && file_.ReadAt(offset, into);
}

bool FileReplacement::Sync() {
  if (!file_.IsOpen()) return false;
  const bool synced = (reserved_ <= size_ || file_.Truncate(size_)) && file_.Sync();
  if (!synced) Abandon();
  return synced;
}

bool FileReplacement::Commit(WriteMode mode) {
  if (!Sync() || !PutInPlace(mode)) return false;
  SyncFolder();
  return true;
}

}  // namespace platform
