#include "ranking/locked_score_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

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

// Tries to open and lock the file once. Returns the descriptor, -1 when the
// file cannot be used, or -2 when the locked inode was replaced meanwhile.
int OpenAndLock(const char* path, struct stat& locked) {
  // O_NONBLOCK keeps a FIFO from hanging the game; it means nothing for the
  // regular file that is the only kind accepted.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat named {};
  if (::fstat(fd, &locked) != 0 || !S_ISREG(locked.st_mode) ||
      ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  if (::stat(path, &named) != 0 || !SameFile(named, locked)) {
    ::close(fd);
    return -2;
  }
  return fd;
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
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int fd = OpenAndLock(path, stat_);
    if (fd == -1) return false;
    if (fd >= 0) {
      fd_ = fd;
      path_ = path;
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

// The game rewrites only a file it could open for writing as it stands. A
// file with no write permission for anyone is read-only even to root, as a
// read-only file always was to the game.
bool LockedScoreFile::MayRewrite() const {
  if ((stat_.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool LockedScoreFile::WriteTemporary(const std::string& temporary,
                                     const ScoreFileBytes& bytes) const {
  if (!StepAllowed(RewriteStep::kCreateTemporary)) return false;
  // A leftover from a copy that crashed mid-rewrite is of no use to anyone.
  ::unlink(temporary.c_str());
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                        S_IRUSR | S_IWUSR);
  if (fd < 0) return false;
  // The new file takes the old one's place, so it takes its permissions and,
  // where the system allows it, its owner.
  bool ok = ::fchmod(fd, stat_.st_mode & 07777) == 0;
  if (ok && ::fchown(fd, stat_.st_uid, stat_.st_gid) != 0) {
    // Only a privileged process may give a file away; the permissions are kept.
  }
  for (const BlockWrite& block : kBlockWrites) {
    ok = ok && StepAllowed(block.step) && WriteAll(fd, bytes.data() + block.offset, block.size);
  }
  ok = ok && StepAllowed(RewriteStep::kSyncTemporary) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  return ok;
}

void LockedScoreFile::SyncDirectory() const {
  // The new name is in place either way; this only makes it survive a power
  // loss, so a failure here does not make the save a failure.
  if (!StepAllowed(RewriteStep::kSyncDirectory)) return;
  const int fd = ::open(DirectoryOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool LockedScoreFile::Rewrite(const ScoreFileBytes& bytes) {
  if (fd_ < 0 || !MayRewrite()) return false;
  const std::string temporary = path_ + ".new";
  if (!WriteTemporary(temporary, bytes) || !StepAllowed(RewriteStep::kReplace) ||
      ::rename(temporary.c_str(), path_.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  SyncDirectory();
  return true;
}
