#include "platform/base/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace platform {

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

// The new name survives a power loss only once its folder is on disk too; the
// file is in place either way, so this cannot fail the write.
void SyncFolder(const std::string& path) {
  const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Puts the finished temporary file in place. link() refuses a name that is
// taken, which is what makes kCreateOnly safe against another copy of the
// game doing the same at the same moment.
bool PutInPlace(const std::string& temporary, const std::string& path, WriteMode mode) {
  if (mode == WriteMode::kReplace) return ::rename(temporary.c_str(), path.c_str()) == 0;
  const bool linked = ::link(temporary.c_str(), path.c_str()) == 0;
  const int error = errno;
  ::unlink(temporary.c_str());
  errno = error;
  return linked;
}

}  // namespace

bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes, WriteMode mode,
                    mode_t permissions) {
  WholeFileWriter file(path, permissions);
  return file.Append(bytes) && file.Commit(mode);
}

WholeFileWriter::WholeFileWriter(std::string path, mode_t permissions)
    : path_(std::move(path)), temporary_(path_ + ".XXXXXX") {
  fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
  if (fd_ >= 0 && ::fchmod(fd_, permissions) != 0) Abandon();
}

WholeFileWriter::~WholeFileWriter() {
  Abandon();
}

// Removes the temporary file, keeping errno as the failure left it.
void WholeFileWriter::Abandon() {
  if (fd_ < 0) return;
  const int error = errno;
  ::close(fd_);
  ::unlink(temporary_.c_str());
  fd_ = -1;
  errno = error;
}

bool WholeFileWriter::Append(std::span<const std::uint8_t> bytes) {
  if (fd_ < 0) return false;
  if (!WriteAll(fd_, bytes)) {
    Abandon();
    return false;
  }
  size_ += bytes.size();
  return true;
}

bool WholeFileWriter::Overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (fd_ < 0) return false;
  bool ok = offset <= size_ && bytes.size() <= size_ - offset;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t wrote =
        ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (wrote < 0 && errno == EINTR) continue;
    ok = wrote > 0;
    if (ok) done += static_cast<std::size_t>(wrote);
  }
  if (!ok) Abandon();
  return ok;
}

bool WholeFileWriter::Commit(WriteMode mode) {
  if (fd_ < 0) return false;
  const bool synced = ::fsync(fd_) == 0;
  int error = errno;
  const bool closed = ::close(fd_) == 0;
  if (!closed) error = errno;
  fd_ = -1;
  if (synced && closed && PutInPlace(temporary_, path_, mode)) {
    SyncFolder(path_);
    return true;
  }
  if (synced && closed) error = errno;
  ::unlink(temporary_.c_str());
  errno = error;
  return false;
}

std::optional<std::vector<std::uint8_t>> ReadSmallFile(const std::string& path, std::size_t limit) {
  // O_NONBLOCK: a FIFO under the name must not stop the game.
  errno = 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat status {};
  std::optional<std::vector<std::uint8_t>> result;
  if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size >= 0 &&
      static_cast<std::uintmax_t>(status.st_size) <= limit) {
    // Read one byte past the size seen, so that a file that grew is noticed.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.st_size) + 1);
    std::size_t size = 0;
    bool failed = false;
    while (size < bytes.size()) {
      const ssize_t got = ::read(fd, bytes.data() + size, bytes.size() - size);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        failed = got < 0;
        break;
      }
      size += static_cast<std::size_t>(got);
    }
    if (!failed && size <= limit && size < bytes.size()) {
      bytes.resize(size);
      result = std::move(bytes);
    }
  }
  const int error = errno;
  ::close(fd);
  errno = error;
  return result;
}

}  // namespace platform
