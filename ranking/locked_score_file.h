// One score file, held by this copy of the game from the moment it is read
// until its new content is in place.
//
// Locking: the file itself is locked with an exclusive lock taken right
// after it is opened and held across the whole read, entry and rewrite. A
// second copy of the game recording at the same moment waits for the lock a
// short while (a rewrite takes milliseconds); only a copy that finds it held
// for longer treats the file as one it cannot open: it enters nothing,
// writes nothing and plays nothing. Entries are therefore never mixed or
// torn, and a result that was entered is never overwritten by a copy that
// read the table before it. A file system that refuses locks altogether
// (some network shares) is used without one, as the original always did.
//
// The rewrite puts a new file in place by a rename, which gives the name a new
// inode; a copy that opened the old inode and got its lock only after the
// holder let go would be holding a lock on a file that no longer exists. So
// after locking, the name is checked to still lead to the locked inode, and
// the open is retried otherwise.
//
// Rewriting: the new bytes go to a file of a unique name beside the table,
// with the old file's owner, group and permissions, are flushed to disk, and
// are renamed over the old file; then the directory is flushed: the game's
// one way of replacing a file, platform::FileReplacement. A crash, a kill or
// a full disk at any point leaves either the old 590 bytes or the new ones. A table reached through
// a symbolic link is replaced beside the file the link leads to, so the link stays a link.
//
// Some tables cannot be replaced that way without taking them from the
// players who share them: one in a folder the player may not write, one with
// more than one hard link, and one whose group a new file could not keep.
// Those are rewritten in place, as the original did, under the same lock:
// all 590 bytes in one write, then flushed. A file that the game may not
// write (no write permission at all, or an open for writing refused) is not
// rewritten.
#pragma once

#include <cstddef>
#include <string>

#include "platform/base/files.h"
#include "ranking/score_file.h"

// The steps of a rewrite, in order. Tests stop the process before one of them
// or make it fail, to show that no step can leave a damaged file behind.
enum class RewriteStep {
  kLock,  // refused: a file system without locks
  kCreateTemporary,
  kKeepOwner,  // refused: the new file cannot keep the table's group
  kWriteNames,
  kWriteDates,
  kWriteScoreTexts,
  kWriteRemovedTexts,
  kSyncTemporary,
  kReplace,
  kSyncDirectory,
  kWriteInPlace,  // the rewrite in place, for the tables that need it
  kSyncInPlace,
};

// Called before each step; returning false makes the step fail as if the
// system had refused it. Null (the game's case) lets every step run.
using RewriteStepHook = bool (*)(RewriteStep step);
void SetRewriteStepHook(RewriteStepHook hook);

class LockedScoreFile {
 public:
  LockedScoreFile() = default;
  LockedScoreFile(const LockedScoreFile&) = delete;
  LockedScoreFile& operator=(const LockedScoreFile&) = delete;

  // Opens an existing regular file for reading and locks it. False when it is
  // missing (a link that leads nowhere included), cannot be read or another
  // copy of the game holds it for longer than a rewrite takes.
  [[nodiscard]] bool Open(const char* path);

  // Reads up to 590 bytes from the start; `size` tells how many there were.
  // False on a read error, so that a failing disk is never taken for a short
  // file and rewritten with blanks.
  [[nodiscard]] bool Read(ScoreFileBytes& bytes, std::size_t& size);

  // Replaces the file's content with `bytes`. False when nothing was saved
  // and the file keeps its old content.
  [[nodiscard]] bool Rewrite(const ScoreFileBytes& bytes);

  // After an Open that failed: there was no file, nor a link, of that name.
  [[nodiscard]] bool Missing() const { return missing_; }
  // After an Open: nobody may write the file, so Rewrite leaves it alone.
  [[nodiscard]] bool ReadOnly() const { return file_.IsOpen() && !info_.Writable(); }

 private:
  enum class Replaced { kYes, kNo, kNotHere };
  // `writing` is the table opened for writing in place.
  [[nodiscard]] Replaced ReplaceBeside(const ScoreFileBytes& bytes, platform::File& writing);
  [[nodiscard]] bool PutInPlace(platform::FileReplacement& replacement, platform::File& writing);
  [[nodiscard]] bool RewriteInPlace(platform::File& file, const ScoreFileBytes& bytes) const;

  platform::File file_;  // closing it lets go of the lock
  std::string target_;   // the file itself, every symbolic link followed
  platform::FileInfo info_;
  bool missing_ = false;
};
