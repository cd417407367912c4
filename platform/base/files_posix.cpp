// The files and folders of Linux and the other POSIX systems, and of the
// browser, whose emscripten gives the same calls on its own file systems.
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "platform/base/durable_files.h"
#include "platform/base/files.h"

namespace platform {

namespace {

constexpr char kReplacementMark[] = ".new.";
constexpr std::size_t kUniquePart = 6;  // the XXXXXX of mkostemp

FileInfo InfoFrom(const struct stat& status) {
  FileInfo info;
  info.kind = S_ISREG(status.st_mode)   ? FileKind::kRegular
              : S_ISDIR(status.st_mode) ? FileKind::kFolder
              : S_ISLNK(status.st_mode) ? FileKind::kLink
                                        : FileKind::kOther;
  info.size = status.st_size > 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
  info.links = status.st_nlink;
  info.device = status.st_dev;
  info.inode = status.st_ino;
  info.owner = status.st_uid;
  info.group = status.st_gid;
  info.permissions = status.st_mode & 07777;
  info.modifiedSeconds = status.st_mtim.tv_sec;
  info.modifiedNanoseconds = status.st_mtim.tv_nsec;
  return info;
}

// Keeps errno as the failure before it left it.
void CloseQuietly(int fd) {
  const int error = errno;
  ::close(fd);
  errno = error;
}

// Waits for the lock: its only other holder is a copy removing leftovers,
// which holds it for a moment. A file system without locks is used without.
void LockWhileWriting(int fd) {
  while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
  }
}

// Removes the replacements of `path` that copies of the game killed before
// putting them in place left behind. A copy still writing one holds its lock,
// so it is passed over; a dead copy's lock died with it. Only regular files
// of exactly the names a replacement takes are touched.
void RemoveLeftovers(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string prefix =
      (slash == std::string::npos ? path : path.substr(slash + 1)) + kReplacementMark;
  DIR* folder = ::opendir(FolderOf(path).c_str());
  if (folder == nullptr) return;
  const int folderFd = ::dirfd(folder);
  while (const dirent* entry = ::readdir(folder)) {
    const std::string_view name = entry->d_name;
    if (name.size() != prefix.size() + kUniquePart || !name.starts_with(prefix)) continue;
    const int fd = ::openat(folderFd, entry->d_name,
                            O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) continue;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
        (::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK)) {
      ::unlinkat(folderFd, entry->d_name, 0);
    }
    ::close(fd);
  }
  ::closedir(folder);
}

}  // namespace

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::optional<std::string> ResolvedPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string result(resolved);
  std::free(resolved);  // NOLINT(cppcoreguidelines-owning-memory): realpath's own allocation
  return result;
}

std::optional<FileInfo> InfoOf(const std::string& path, Links links) {
  struct stat status {};
  const int result =
      links == Links::kFollow ? ::stat(path.c_str(), &status) : ::lstat(path.c_str(), &status);
  if (result != 0) return std::nullopt;
  return InfoFrom(status);
}

File::~File() {
  if (handle_ >= 0) CloseQuietly(handle_);
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (handle_ >= 0) CloseQuietly(handle_);
    handle_ = std::exchange(other.handle_, -1);
  }
  return *this;
}

File File::OpenForReading(const std::string& path) {
  return File(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
}

File File::OpenForWriting(const std::string& path) {
  return File(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
}

std::optional<FileInfo> File::Info() const {
  struct stat status {};
  if (handle_ < 0 || ::fstat(handle_, &status) != 0) return std::nullopt;
  return InfoFrom(status);
}

std::optional<std::size_t> File::Read(std::span<std::uint8_t> into) {
  std::size_t done = 0;
  while (done < into.size()) {
    const ssize_t got = ::read(handle_, into.data() + done, into.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

std::size_t File::ReadUpTo(std::uint64_t offset, std::span<std::uint8_t> into) const {
  std::size_t done = 0;
  while (done < into.size()) {
    const ssize_t got =
        ::pread(handle_, into.data() + done, into.size() - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

bool File::Write(std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(handle_, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

bool File::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::pwrite(handle_, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset + done));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

bool File::Truncate(std::uint64_t size) {
  return ::ftruncate(handle_, static_cast<off_t>(size)) == 0;
}

bool File::Sync() {
  return FlushToStorage(handle_);
}

LockResult File::TryLock() {
  for (;;) {
    if (::flock(handle_, LOCK_EX | LOCK_NB) == 0) return LockResult::kLocked;
    if (errno == EINTR) continue;
    return errno == EWOULDBLOCK ? LockResult::kBusy : LockResult::kUnsupported;
  }
}

bool File::Close() {
  if (handle_ < 0) return true;
  return ::close(std::exchange(handle_, -1)) == 0;
}

FileReplacement::FileReplacement(std::string path, std::uint32_t permissions)
    : path_(std::move(path)) {
  RemoveLeftovers(path_);
  // A copy removing leftovers may have taken the new file in the moment
  // before it was locked; then it is gone, and another name is tried.
  constexpr int kAttempts = 4;
  for (int attempt = 0; attempt < kAttempts && !file_.IsOpen(); ++attempt) {
    temporary_ = path_ + kReplacementMark + std::string(kUniquePart, 'X');
    file_ = File(::mkostemp(temporary_.data(), O_CLOEXEC));
    if (!file_.IsOpen()) return;  // errno says why
    LockWhileWriting(file_.handle_);
    const std::optional<FileInfo> named = InfoOf(temporary_, Links::kDoNotFollow);
    const std::optional<FileInfo> held = file_.Info();
    if (!named || !held || !SameFile(*named, *held)) {
      file_.Close();
      errno = EAGAIN;
    }
  }
  if (file_.IsOpen() && ::fchmod(file_.handle_, permissions) != 0) Abandon();
}

// Removes the new file, keeping errno as the failure left it.
void FileReplacement::Abandon() {
  if (!file_.IsOpen()) return;
  const int error = errno;
  ::unlink(temporary_.c_str());
  file_.Close();
  errno = error;
}

bool FileReplacement::KeepOwnerOf(const FileInfo& old) {
  if (!file_.IsOpen()) return false;
  const int fd = file_.handle_;
  if (::fchown(fd, old.owner, old.group) != 0 &&
      ::fchown(fd, static_cast<uid_t>(-1), old.group) != 0) {
    return false;
  }
  // After the owner: a change of owner may clear the set-id bits.
  return ::fchmod(fd, old.permissions) == 0;
}

// The file stays open, and locked, until it has its name, so that no copy
// removing leftovers takes it for one. link() refuses a name that is taken,
// which is what makes kCreateOnly safe against another copy doing the same.
bool FileReplacement::PutInPlace(WriteMode mode) {
  if (!file_.IsOpen()) return false;
  bool placed = false;
  if (mode == WriteMode::kReplace) {
    placed = ::rename(temporary_.c_str(), path_.c_str()) == 0;
  } else {
#ifdef __EMSCRIPTEN__
    // The browser's file systems have no hard links; the page's game is the
    // only writer of its files, so a name seen free stays free until the
    // rename.
    const bool taken = InfoOf(path_, Links::kDoNotFollow).has_value();
    if (taken) errno = EEXIST;
    placed = !taken && errno == ENOENT && ::rename(temporary_.c_str(), path_.c_str()) == 0;
#else
    placed = ::link(temporary_.c_str(), path_.c_str()) == 0;
    if (placed) ::unlink(temporary_.c_str());
#endif
  }
  if (!placed) {
    Abandon();
    return false;
  }
  // The bytes are on disk already: a close that fails now loses nothing.
  file_.Close();
  return true;
}

void FileReplacement::SyncFolder() {
  const int fd = ::open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)FlushToStorage(fd);
  ::close(fd);
}

bool RemoveFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

bool MakeFolder(const std::string& path) {
  return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

bool SetWorkingFolder(const std::string& path) {
  return ::chdir(path.c_str()) == 0;
}

std::string ExecutablePath() {
  std::array<char, 4096> path{};
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return {};
  return std::string(path.data(), static_cast<std::size_t>(length));
}

std::optional<std::string> LoginName() {
  std::array<char, 4096> buffer{};
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr || found->pw_name == nullptr) {
    return std::nullopt;
  }
  return std::string(found->pw_name);
}

}  // namespace platform
