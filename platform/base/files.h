// Everything the game asks of the system's files and folders: opening,
// reading, locking, the one atomic replace, the folders it makes and works
// in, and the login name that the player's first name comes from. Only the
// implementations of this header (files_posix.cpp,
// platform/windows/files_windows.cpp, chosen by CMake) call the system; the
// rest of the game speaks only to these names, so another system needs
// another implementation and nothing else.
//
// Failures set errno, as the system's own calls do, so that callers can tell
// a missing file (ENOENT) or a folder that takes no new file (EACCES, EPERM,
// EROFS) from a real failure and say why with strerror.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace platform {

enum class FileKind { kRegular, kFolder, kLink, kOther };

// What the system knows of a file: what it is, and what a file that takes
// its place must keep so that the players who share it keep it too.
struct FileInfo {
  FileKind kind = FileKind::kOther;
  std::uint64_t size = 0;
  std::uint64_t links = 0;  // hard links: names of the same file
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint32_t owner = 0;
  std::uint32_t group = 0;
  std::uint32_t permissions = 0;  // the mode's permission and set-id bits
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;

  // True when anyone at all may write it; root included, the game does not
  // write a file that nobody may.
  [[nodiscard]] bool Writable() const { return (permissions & 0222) != 0; }
};

// Two infos of the same file, whatever names led to it.
[[nodiscard]] bool SameFile(const FileInfo& a, const FileInfo& b);

enum class Links { kFollow, kDoNotFollow };
// Nothing, with errno set, when there is nothing under the name (ENOENT).
[[nodiscard]] std::optional<FileInfo> InfoOf(const std::string& path, Links links);

enum class LockResult {
  kLocked,
  kBusy,         // another process holds it
  kUnsupported,  // the file system gives no locks (some network shares)
};

// An open file, closed when destroyed. Opens never block: a FIFO or a device
// under a name the game reads opens at once, and fails the checks of its
// kind that every reader makes. Links are followed.
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  [[nodiscard]] static File OpenForReading(const std::string& path);
  // An existing file, for rewriting it in place.
  [[nodiscard]] static File OpenForWriting(const std::string& path);

  [[nodiscard]] bool IsOpen() const { return handle_ >= 0; }
  [[nodiscard]] std::optional<FileInfo> Info() const;

  // Reads from where the last read stopped until `into` is full or the file
  // ends: how many bytes came, or nothing on a read error.
  [[nodiscard]] std::optional<std::size_t> Read(std::span<std::uint8_t> into);
  // All of `into` from `offset`; false at the end of the file or an error.
  [[nodiscard]] bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) const;
  // What ReadAt can give of `into` from `offset`: fewer bytes at the end of
  // the file or on an error.
  [[nodiscard]] std::size_t ReadUpTo(std::uint64_t offset, std::span<std::uint8_t> into) const;
  [[nodiscard]] bool Write(std::span<const std::uint8_t> bytes);
  [[nodiscard]] bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  [[nodiscard]] bool Truncate(std::uint64_t size);
  // Flushes what was written to the disk.
  [[nodiscard]] bool Sync();
  // An exclusive lock on the whole file, held until the file is closed.
  [[nodiscard]] LockResult TryLock();
  // Closes now; false when the system reports the close failed.
  bool Close();

 private:
  friend class FileReplacement;
  explicit File(int handle) : handle_(handle) {}
  int handle_ = -1;
};

enum class WriteMode {
  kReplace,     // the new bytes take the place of whatever the name held
  kCreateOnly,  // only where the name is free; an existing file is never touched
};

// The one way the game replaces a file: the new content is written beside
// `path` under a name of its own (`path`.new. and six characters), flushed to
// disk and then put in place in one step, so that the name holds the old
// bytes or the new ones and never a mix, even when the program is killed or
// the power fails in the middle.
//
// A copy of the game killed before its replacement was in place leaves that
// file beside `path`; each new replacement of `path` first removes those,
// but never one that another running copy is still writing. One destroyed
// before PutInPlace, or whose PutInPlace failed, leaves nothing behind.
class FileReplacement {
 public:
  // Starts with the given permissions; on failure Ok() is false and errno
  // says why (EACCES, EPERM or EROFS: the folder takes no new file).
  explicit FileReplacement(std::string path, std::uint32_t permissions = 0644);
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // False once anything has failed; every later call then fails too.
  [[nodiscard]] bool Ok() const { return file_.IsOpen(); }
  // The name the new content is written under, for messages.
  [[nodiscard]] const std::string& TemporaryPath() const { return temporary_; }

  // Gives the new file the owner, group and permissions of `old`, the file
  // it replaces; only a privileged process may give a file away, so only the
  // group has to be kept. False, and nothing kept, when not even the group
  // can be: the other players of the group would lose the file.
  [[nodiscard]] bool KeepOwnerOf(const FileInfo& old);
  [[nodiscard]] bool Append(std::span<const std::uint8_t> bytes);
  // Writes over bytes already appended, from `offset` on.
  [[nodiscard]] bool Overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  // Makes room for `size` bytes in all, so that appending up to that many
  // never moves what is written: a file system held in memory (the
  // browser's) otherwise grows a file a step at a time and copies it whole
  // at each step. Sync cuts off whatever room was not written.
  [[nodiscard]] bool Reserve(std::uint64_t size);
  // Reads back what was written so far.
  [[nodiscard]] bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) const;

  // The last steps, which Commit takes in order; separate for a caller that
  // must be able to stop between them.
  [[nodiscard]] bool Sync();
  // kCreateOnly fails with EEXIST when the name was taken meanwhile, even by
  // another copy of the game doing the same at the same moment. kReplace
  // fails with EBUSY, the new file kept, where the system puts no file in
  // place of one that is open (Windows without POSIX renames: Wine, FAT,
  // before Windows 10): close every handle of the old file and call again.
  [[nodiscard]] bool PutInPlace(WriteMode mode);
  // Makes the new name survive a power loss. The file is in place either
  // way, so this cannot fail the replacement.
  void SyncFolder();
  [[nodiscard]] bool Commit(WriteMode mode);

 private:
  void Abandon();

  std::string path_;
  std::string temporary_;
  File file_;
  std::uint64_t size_ = 0;
  std::uint64_t reserved_ = 0;
};

// The folder that holds `path` ("." for a bare name).
std::string FolderOf(const std::string& path);
// The path of the file itself, every link on the way followed; nothing, with
// errno set, when it leads to no file.
std::optional<std::string> ResolvedPath(const std::string& path);
// Removes the name of a file (never a folder).
[[nodiscard]] bool RemoveFile(const std::string& path);
// Makes one folder, the player's alone; true when it is made or already
// there under that name.
[[nodiscard]] bool MakeFolder(const std::string& path);
[[nodiscard]] bool SetWorkingFolder(const std::string& path);
// The running program's own file; empty when the system does not say.
std::string ExecutablePath();
// The name the player logged in with; nothing when the system has none.
std::optional<std::string> LoginName();

}  // namespace platform
