#include "ranking/locked_score_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/base/failure_log.h"

namespace {

RewriteStepHook g_rewriteStepHook = nullptr;

bool StepAllowed(RewriteStep step) {
  return g_rewriteStepHook == nullptr || g_rewriteStepHook(step);
}

// write() may take less than it was given; the rest is written after it.
bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The four blocks of the stored form, each written as one step.
struct BlockWrite {
  RewriteStep step;
  std::size_t offset;
  std::size_t size;
};
constexpr BlockWrite kBlockWrites[] = {
    {RewriteStep::kWriteNames, 0, 10 * kNameWidth},
    {RewriteStep::kWriteDates, 10 * kNameWidth, 10 * kDateWidth},
    {RewriteStep::kWriteScoreTexts, 10 * (kNameWidth + kDateWidth), 10 * kScoreTextWidth},
    {RewriteStep::kWriteRemovedTexts, 10 * (kNameWidth + kDateWidth + kScoreTextWidth),
     10 * kRemovedTextWidth},
};

// A rewrite holds the lock for a few milliseconds; a copy that holds it much
// longer than this has hung, and waiting for it would hang this one too.
constexpr std::int64_t kLockWaitNs = 2'000'000'000;
constexpr std::int64_t kLockPollNs = 5'000'000;

std::int64_t MonotonicNs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

// True once the file is locked, or when its file system has no locks to
// give; false when another copy holds it past the deadline. This waits on
// the real clock, as the other copy runs on it.
bool LockBy(int fd, std::int64_t deadlineNs) {
  if (!StepAllowed(RewriteStep::kLock)) return true;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return true;
    if (MonotonicNs() >= deadlineNs) {
      platform::LogFailure("flock", "another copy of the game has held the table for 2 s");
      return false;
    }
    const timespec pause{0, kLockPollNs};
    ::nanosleep(&pause, nullptr);
  }
}

// Tries to open and lock the file once. Returns the descriptor, -1 when the
// file cannot be used, or -2 when the locked inode was replaced meanwhile.
int OpenAndLock(const char* path, std::int64_t deadlineNs, struct stat& locked) {
  // O_NONBLOCK keeps a FIFO from hanging the game; it means nothing for the
  // regular file that is the only kind accepted. A link is followed; one that
  // leads nowhere fails here like a missing file.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    // A missing table is silent, as it always was; a link that leads nowhere
    // is the player's doing, and is said.
    struct stat link {};
    if (errno != ENOENT) {
      platform::LogErrnoFailure(std::string("open(") + path + ")", errno);
    } else if (::lstat(path, &link) == 0 && S_ISLNK(link.st_mode)) {
      platform::LogFailure(std::string("open(") + path + ")",
                           "the link leads to no file, so the table is not read or saved");
    }
    return -1;
  }
  struct stat named {};
  const bool regular = ::fstat(fd, &locked) == 0 && S_ISREG(locked.st_mode);
  if (!regular) {
    platform::LogFailure(std::string("open(") + path + ")",
                         "not a regular file, so the table is not read or saved");
  }
  if (!regular || !LockBy(fd, deadlineNs)) {
    ::close(fd);
    return -1;
  }
  if (::stat(path, &named) != 0 || !SameFile(named, locked)) {
    ::close(fd);
    return -2;
  }
  return fd;
}

// The path of the file itself, every symbolic link on the way followed.
bool ResolvePath(const char* path, std::string& target) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::canonical(path, error);
  if (error) return false;
  target = resolved.string();
  return true;
}

// Removes what rewrites of the table at `target` left behind when their copy
// of the game was killed before the rename. Only a holder of the table's lock
// calls this, so no other copy is writing one of them.
void RemoveLeftovers(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::string prefix = target.substr(slash + 1) + ".new.";
  DIR* folder = ::opendir(DirectoryOf(target).c_str());
  if (folder == nullptr) return;
  const int folderFd = ::dirfd(folder);
  while (const dirent* entry = ::readdir(folder)) {
    const std::string_view name = entry->d_name;
    struct stat status {};
    if (name.size() == prefix.size() + 6 && name.starts_with(prefix) &&
        ::fstatat(folderFd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(status.st_mode)) {
      ::unlinkat(folderFd, entry->d_name, 0);
    }
  }
  ::closedir(folder);
}

}  // namespace

void SetRewriteStepHook(RewriteStepHook hook) {
  g_rewriteStepHook = hook;
}

LockedScoreFile::~LockedScoreFile() {
  if (fd_ >= 0) ::close(fd_);  // closing lets go of the lock
}

bool LockedScoreFile::Open(const char* path) {
  // Each retry follows a rewrite finished by another copy in between; a few
  // are plenty, and running out only means "in use".
  constexpr int kAttempts = 4;
  const std::int64_t deadlineNs = MonotonicNs() + kLockWaitNs;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int fd = OpenAndLock(path, deadlineNs, stat_);
    if (fd == -1) return false;
    if (fd >= 0) {
      if (!ResolvePath(path, target_)) {
        ::close(fd);
        return false;
      }
      fd_ = fd;
      return true;
    }
  }
  return false;
}

bool LockedScoreFile::Read(ScoreFileBytes& bytes, std::size_t& size) {
  size = 0;
  while (size < bytes.size()) {
    const ssize_t got = ::read(fd_, bytes.data() + size, bytes.size() - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  return true;
}

// The new file takes the old one's place, so it takes its owner, group and
// permissions. Only a privileged process may give a file away; any player may
// give one of his own to a group he belongs to. False when not even the group
// can be kept: the other players of the group would lose the table.
bool LockedScoreFile::KeepOwnerAndMode(int fd) const {
  if (!StepAllowed(RewriteStep::kKeepOwner)) return false;
  if (::fchown(fd, stat_.st_uid, stat_.st_gid) != 0 &&
      ::fchown(fd, static_cast<uid_t>(-1), stat_.st_gid) != 0) {
    return false;
  }
  // After the owner: a change of owner may clear the set-id bits.
  return ::fchmod(fd, stat_.st_mode & 07777) == 0;
}

// kNotHere when the folder takes no new file or the new file could not keep
// the table's group: the table is then rewritten in place instead.
LockedScoreFile::Replaced LockedScoreFile::ReplaceBeside(const ScoreFileBytes& bytes) const {
  if (!StepAllowed(RewriteStep::kCreateTemporary)) return Replaced::kNo;
  // A name of its own for every rewrite: whatever an earlier copy left behind
  // (a crash's leftover, even a directory) is never in the way.
  RemoveLeftovers(target_);
  std::string temporary = target_ + ".new.XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    const bool folderClosed = errno == EACCES || errno == EPERM || errno == EROFS;
    // A folder that takes no new file is a way of sharing tables, not a failure.
    if (!folderClosed) platform::LogErrnoFailure("mkostemp(" + temporary + ")", errno);
    return folderClosed ? Replaced::kNotHere : Replaced::kNo;
  }
  if (!KeepOwnerAndMode(fd)) {
    ::close(fd);
    ::unlink(temporary.c_str());
    return Replaced::kNotHere;
  }
  bool ok = true;
  for (const BlockWrite& block : kBlockWrites) {
    ok = ok && StepAllowed(block.step) && WriteAll(fd, bytes.data() + block.offset, block.size);
  }
  ok = ok && StepAllowed(RewriteStep::kSyncTemporary) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok =
      ok && StepAllowed(RewriteStep::kReplace) && ::rename(temporary.c_str(), target_.c_str()) == 0;
  if (!ok) {
    platform::LogErrnoFailure("writing " + temporary + " in place of " + target_, errno);
    ::unlink(temporary.c_str());
    return Replaced::kNo;
  }
  SyncDirectory();
  return Replaced::kYes;
}

// The original's way: the same inode, so every link and the owner, group and
// permissions stay as they are. The whole table goes in one write, then a
// longer file is cut to 590 bytes and everything is flushed. Not crash-safe
// as the replacement is: see docs/FIDELITY.md.
bool LockedScoreFile::RewriteInPlace(int fd, const ScoreFileBytes& bytes) const {
  if (!StepAllowed(RewriteStep::kWriteInPlace)) return false;
  ssize_t written = -1;
  do {
    written = ::pwrite(fd, bytes.data(), bytes.size(), 0);
  } while (written < 0 && errno == EINTR);
  if (written != static_cast<ssize_t>(bytes.size()) ||
      ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) {
    platform::LogErrnoFailure("rewriting " + target_, errno);
    return false;
  }
  return StepAllowed(RewriteStep::kSyncInPlace) && ::fsync(fd) == 0;
}

void LockedScoreFile::SyncDirectory() const {
  // The new name is in place either way; this only makes it survive a power
  // loss, so a failure here does not make the save a failure.
  if (!StepAllowed(RewriteStep::kSyncDirectory)) return;
  const int fd = ::open(DirectoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// The game rewrites only a file it can open for writing as it stands. A file
// with no write permission for anyone is read-only even to root, as a
// read-only file always was to the game.
bool LockedScoreFile::Rewrite(const ScoreFileBytes& bytes) {
  if (fd_ < 0 || (stat_.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  const int fd = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    platform::LogErrnoFailure("open(" + target_ + ")", errno);
    return false;
  }
  // Replacing a file with several names would part it from the others.
  const Replaced replaced = stat_.st_nlink > 1 ? Replaced::kNotHere : ReplaceBeside(bytes);
  bool saved = replaced == Replaced::kYes;
  if (replaced == Replaced::kNotHere) saved = RewriteInPlace(fd, bytes);
  saved = (::close(fd) == 0 || replaced == Replaced::kYes) && saved;
  return saved;
}
