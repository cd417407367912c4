#include "ranking/locked_score_file.h"

#include <cerrno>
#include <optional>
#include <string>
#include <utility>

#include "platform/base/clock.h"
#include "platform/base/log.h"

namespace {

RewriteStepHook g_rewriteStepHook = nullptr;

bool StepAllowed(RewriteStep step) {
  return g_rewriteStepHook == nullptr || g_rewriteStepHook(step);
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
constexpr std::int64_t kLockWaitMs = 2000;
constexpr std::int64_t kLockPollMs = 5;

// True once the file is locked, or when its file system has no locks to
// give; false when another copy holds it past the deadline. This waits on
// the real clock, as the other copy runs on it.
bool LockBy(platform::File& file, std::int64_t deadlineMs) {
  platform::SystemClock clock;
  if (!StepAllowed(RewriteStep::kLock)) return true;
  for (;;) {
    if (file.TryLock() != platform::LockResult::kBusy) return true;
    const std::int64_t now = clock.NowMs();
    if (now >= deadlineMs) {
      platform::LogError("locking the table",
                         "another copy of the game has held the table for 2 s");
      return false;
    }
    clock.SleepUntilMs(now + kLockPollMs);
  }
}

enum class Opened { kYes, kNo, kReplacedMeanwhile };

// Tries to open and lock the file once; kReplacedMeanwhile when the locked
// file no longer has the name.
Opened OpenAndLock(const char* path, std::int64_t deadlineMs, platform::File& file,
                   platform::FileInfo& locked, bool& missing) {
  // The open never waits, so a FIFO cannot hang the game; only a regular file
  // is accepted. A link is followed; one that leads nowhere fails here like a
  // missing file.
  file = platform::File::OpenForReading(path);
  if (!file.IsOpen()) {
    // A missing table is silent, as it always was; a link that leads nowhere
    // is the player's doing, and is said.
    if (errno != ENOENT) {
      platform::LogErrno(std::string("open(") + path + ")", errno);
    } else if (const auto link = platform::InfoOf(path, platform::Links::kDoNotFollow);
               link && link->kind == platform::FileKind::kLink) {
      platform::LogError(std::string("open(") + path + ")",
                         "the link leads to no file, so the table is not read or saved");
    } else {
      missing = true;
    }
    return Opened::kNo;
  }
  const std::optional<platform::FileInfo> info = file.Info();
  const bool regular = info && info->kind == platform::FileKind::kRegular;
  if (!regular) {
    platform::LogError(std::string("open(") + path + ")",
                       "not a regular file, so the table is not read or saved");
  }
  if (!regular || !LockBy(file, deadlineMs)) {
    file.Close();
    return Opened::kNo;
  }
  locked = *info;
  const std::optional<platform::FileInfo> named = platform::InfoOf(path, platform::Links::kFollow);
  if (!named || !platform::SameFile(*named, locked)) {
    file.Close();
    return Opened::kReplacedMeanwhile;
  }
  return Opened::kYes;
}

// The path of the file itself, every symbolic link on the way followed.
bool ResolvePath(const char* path, std::string& target) {
  std::optional<std::string> resolved = platform::ResolvedPath(path);
  if (!resolved) return false;
  target = std::move(*resolved);
  return true;
}

}  // namespace

void SetRewriteStepHook(RewriteStepHook hook) {
  g_rewriteStepHook = hook;
}

bool LockedScoreFile::Open(const char* path) {
  // Each retry follows a rewrite finished by another copy in between; a few
  // are plenty, and running out only means "in use".
  constexpr int kAttempts = 4;
  const std::int64_t deadlineMs = platform::SystemClock().NowMs() + kLockWaitMs;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    platform::File file;
    const Opened opened = OpenAndLock(path, deadlineMs, file, info_, missing_);
    if (opened == Opened::kNo) return false;
    if (opened == Opened::kYes) {
      if (!ResolvePath(path, target_)) return false;
      file_ = std::move(file);
      return true;
    }
  }
  return false;
}

bool LockedScoreFile::Read(ScoreFileBytes& bytes, std::size_t& size) {
  const std::optional<std::size_t> got = file_.Read(bytes);
  size = got.value_or(0);
  if (!got) platform::LogErrno("reading " + target_, errno);
  return got.has_value();
}

// kNotHere when the folder takes no new file or the new file could not keep
// the table's group: the table is then rewritten in place instead. The
// replacement takes the old file's owner, group and permissions: only a
// privileged process may give a file away, but any player may give one of his
// own to a group he belongs to.
LockedScoreFile::Replaced LockedScoreFile::ReplaceBeside(const ScoreFileBytes& bytes,
                                                         platform::File& writing) {
  if (!StepAllowed(RewriteStep::kCreateTemporary)) return Replaced::kNo;
  // A name of its own for every rewrite: whatever an earlier copy left behind
  // (a crash's leftover, even a directory) is never in the way, and the
  // leftovers are removed.
  platform::FileReplacement replacement(target_, 0600);
  if (!replacement.Ok()) {
    const bool folderClosed = errno == EACCES || errno == EPERM || errno == EROFS;
    // A folder that takes no new file is a way of sharing tables, not a failure.
    if (!folderClosed) platform::LogErrno("creating a file beside " + target_, errno);
    return folderClosed ? Replaced::kNotHere : Replaced::kNo;
  }
  if (!StepAllowed(RewriteStep::kKeepOwner) || !replacement.KeepOwnerOf(info_)) {
    return Replaced::kNotHere;
  }
  bool ok = true;
  for (const BlockWrite& block : kBlockWrites) {
    ok = ok && StepAllowed(block.step) &&
         replacement.Append(std::span(bytes).subspan(block.offset, block.size));
  }
  ok = ok && StepAllowed(RewriteStep::kSyncTemporary) && replacement.Sync();
  ok = ok && StepAllowed(RewriteStep::kReplace) && PutInPlace(replacement, writing);
  if (!ok) {
    platform::LogErrno("writing " + replacement.TemporaryPath() + " in place of " + target_, errno);
    return Replaced::kNo;
  }
  // The new name is in place either way; this only makes it survive a power
  // loss, so a failure here does not make the save a failure.
  if (StepAllowed(RewriteStep::kSyncDirectory)) replacement.SyncFolder();
  return Replaced::kYes;
}

// A system that puts no file in place of an open one (Windows without POSIX
// renames) says EBUSY: the table's own handles, and the lock with them, are
// let go a moment early.
bool LockedScoreFile::PutInPlace(platform::FileReplacement& replacement, platform::File& writing) {
  if (replacement.PutInPlace(platform::WriteMode::kReplace)) return true;
  if (errno != EBUSY) return false;
  writing.Close();
  file_.Close();
  return replacement.PutInPlace(platform::WriteMode::kReplace);
}

// The original's way: the same inode, so every link and the owner, group and
// permissions stay as they are. The whole table goes in one write, then a
// longer file is cut to 590 bytes and everything is flushed. Not crash-safe
// as the replacement is: see docs/FIDELITY.md.
bool LockedScoreFile::RewriteInPlace(platform::File& file, const ScoreFileBytes& bytes) const {
  if (!StepAllowed(RewriteStep::kWriteInPlace)) return false;
  if (!file.WriteAt(0, bytes) || !file.Truncate(bytes.size())) {
    platform::LogErrno("rewriting " + target_, errno);
    return false;
  }
  return StepAllowed(RewriteStep::kSyncInPlace) && file.Sync();
}

// The game rewrites only a file it can open for writing as it stands. A file
// with no write permission for anyone is read-only even to root, as a
// read-only file always was to the game.
bool LockedScoreFile::Rewrite(const ScoreFileBytes& bytes) {
  if (!file_.IsOpen() || !info_.Writable()) return false;
  platform::File file = platform::File::OpenForWriting(target_);
  if (!file.IsOpen()) {
    platform::LogErrno("open(" + target_ + ")", errno);
    return false;
  }
  // Replacing a file with several names would part it from the others.
  const Replaced replaced = info_.links > 1 ? Replaced::kNotHere : ReplaceBeside(bytes, file);
  bool saved = replaced == Replaced::kYes;
  if (replaced == Replaced::kNotHere) saved = RewriteInPlace(file, bytes);
  saved = (file.Close() || replaced == Replaced::kYes) && saved;
  return saved;
}
