// The files and folders of Windows. Paths are UTF-8 inside the game and
// UTF-16 at every call, so a folder or a player's name outside the Japanese
// code page works. Every call gets the path whole and marked \\?\, so that no
// path is held to the old limit of 260 characters: a data folder may lie as
// deep as the file system allows. A File holds a C runtime descriptor made
// from the system's handle, so that files.h stays the same on every system.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/base/files.h"
#include "platform/windows/wide_text.h"

namespace platform {

namespace {

constexpr char kReplacementMark[] = ".new.";
constexpr std::size_t kUniquePart = 6;
// Every file is shared for reading, writing and deleting, as a POSIX file
// is: another copy of the game may read a table while this one holds it, and
// a replacement may take the name of a table that is still open.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The lock is taken on one byte far past the end of any table: Windows' locks
// keep others from reading and writing the bytes they cover, and the lock
// only has to keep other copies from rewriting, never from reading.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return EINVAL;
    default:
      return EIO;
  }
}

// Sets errno from the last failure and gives `result` back.
template <typename T>
T Failed(T result) {
  errno = ErrnoOf(::GetLastError());
  return result;
}

HANDLE HandleOf(int fd) {
  return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));  // NOLINT(performance-no-int-to-ptr)
}

// The descriptor that owns `handle` from now on; -1, with the handle closed,
// when the runtime has no room.
int DescriptorOf(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE) return Failed(-1);
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
  if (fd < 0) {
    ::CloseHandle(handle);
    errno = EMFILE;
  }
  return fd;
}

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";

// The working folder SetWorkingFolder was given, whole, in backslashes and
// without the mark, when the system's own current folder could not take it
// (it cannot be longer than 260 characters unless the system allows long
// paths); empty while the system's current folder is the working folder.
std::wstring g_workingFolder;

std::wstring CurrentFolder() {
  if (!g_workingFolder.empty()) return g_workingFolder;
  std::wstring folder(::GetCurrentDirectoryW(0, nullptr), L'\0');
  folder.resize(::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
  return folder;
}

// How many characters of a whole path are its root: "C:\" or
// "\\server\share\".
std::size_t RootLength(const std::wstring& path) {
  if (!path.starts_with(L"\\\\")) return std::min<std::size_t>(path.size(), 3);
  std::size_t at = 2;
  for (int part = 0; part < 2 && at != std::wstring::npos; ++part) {
    at = path.find(L'\\', at + 1);
  }
  return at == std::wstring::npos ? path.size() : at + 1;
}

// "." and ".." and doubled separators taken out after the root, as the
// system would have done itself.
std::wstring Normalised(const std::wstring& path) {
  const std::size_t root = RootLength(path);
  std::wstring result = path.substr(0, root);
  if (!result.empty() && result.back() != L'\\') result += L'\\';
  std::vector<std::wstring> parts;
  for (std::size_t start = root; start <= path.size();) {
    std::size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    const std::wstring part = path.substr(start, end - start);
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  for (std::size_t i = 0; i < parts.size(); ++i) result += (i == 0 ? L"" : L"\\") + parts[i];
  return result;
}

// The form of `path` that every wide call takes at any length: whole, in
// backslashes, marked \\?\ (\\?\UNC\ for a share). A relative path is taken
// from the working folder, one that starts at a root from its drive. A path
// in the system's own forms, and one relative to a drive's own current
// folder ("C:name"), go as they are.
std::wstring SystemPath(const std::string& path) {
  std::wstring wide = WideFromUtf8(path);
  if (wide.starts_with(L"\\\\?\\") || wide.starts_with(L"\\\\.\\")) return wide;
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  const bool drive = wide.size() >= 2 && wide[1] == L':';
  if (drive && (wide.size() == 2 || wide[2] != L'\\')) return wide;
  std::wstring whole;
  if (drive || wide.starts_with(L"\\\\")) {
    whole = wide;
  } else {
    const std::wstring folder = CurrentFolder();
    whole = wide.starts_with(L"\\") ? folder.substr(0, RootLength(folder)) + wide.substr(1)
                                    : folder + L"\\" + wide;
  }
  whole = Normalised(whole);
  if (whole.starts_with(L"\\\\")) return kLongUncPrefix + whole.substr(2);
  return kLongPrefix + whole;
}

// The plain form of a marked path, for messages and the working folder.
std::wstring PlainPath(const std::wstring& path) {
  if (path.starts_with(kLongUncPrefix)) return L"\\\\" + path.substr(8);
  if (path.starts_with(kLongPrefix)) return path.substr(4);
  return path;
}

std::int64_t UnixNanoseconds(FILETIME time) {
  // 100 ns steps since 1601-01-01.
  constexpr std::int64_t kFrom1601To1970 = 116444736000000000;
  const std::int64_t ticks =
      static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
  return (ticks - kFrom1601To1970) * 100;
}

FileInfo InfoFrom(const BY_HANDLE_FILE_INFORMATION& status) {
  FileInfo info;
  const DWORD attributes = status.dwFileAttributes;
  info.kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? FileKind::kLink
              : (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0   ? FileKind::kFolder
              : (attributes & FILE_ATTRIBUTE_DEVICE) != 0      ? FileKind::kOther
                                                               : FileKind::kRegular;
  info.size = (std::uint64_t{status.nFileSizeHigh} << 32) | status.nFileSizeLow;
  info.links = status.nNumberOfLinks;
  info.device = status.dwVolumeSerialNumber;
  info.inode = (std::uint64_t{status.nFileIndexHigh} << 32) | status.nFileIndexLow;
  // Windows gives the folder's owner and rights to a new file; what the game
  // can tell is only whether the file is read-only.
  info.permissions = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0644;
  const std::int64_t modified = UnixNanoseconds(status.ftLastWriteTime);
  info.modifiedSeconds = modified / 1000000000;
  info.modifiedNanoseconds = modified % 1000000000;
  return info;
}

std::optional<FileInfo> InfoOfHandle(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION status{};
  if (::GetFileInformationByHandle(handle, &status) == 0) return Failed(std::nullopt);
  FileInfo info = InfoFrom(status);
  if (info.kind == FileKind::kRegular && ::GetFileType(handle) != FILE_TYPE_DISK) {
    info.kind = FileKind::kOther;
  }
  return info;
}

HANDLE Open(const std::string& path, DWORD access, DWORD creation, DWORD flags) {
  return ::CreateFileW(SystemPath(path).c_str(), access, kShareAll, nullptr, creation, flags,
                       nullptr);
}

// The position a pread or pwrite would leave alone.
class SavedFilePointer {
 public:
  explicit SavedFilePointer(HANDLE handle) : handle_(handle) {
    ::SetFilePointerEx(handle_, LARGE_INTEGER{}, &position_, FILE_CURRENT);
  }
  ~SavedFilePointer() { ::SetFilePointerEx(handle_, position_, nullptr, FILE_BEGIN); }
  SavedFilePointer(const SavedFilePointer&) = delete;
  SavedFilePointer& operator=(const SavedFilePointer&) = delete;

 private:
  HANDLE handle_;
  LARGE_INTEGER position_{};
};

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

constexpr DWORD kLargestStep = 1 << 30;

DWORD StepOf(std::size_t left) {
  return left < kLargestStep ? static_cast<DWORD>(left) : kLargestStep;
}

// What moving `size` bytes in steps came to: the bytes moved, and whether a
// step's call failed (its reason then in GetLastError()).
struct Moved {
  std::size_t bytes = 0;
  bool failed = false;
};

// Moves `size` bytes a step at a time, as one ReadFile or WriteFile call takes
// at most a DWORD's worth: `step(done, count, &moved)` moves up to `count`
// bytes from `done` on, sets how many it moved and says whether the call
// succeeded. Stops at a failed call or a step that moved nothing (the end of
// the file, or a disk that takes no more).
template <typename Step>
Moved MoveInSteps(std::size_t size, Step step) {
  Moved moved;
  while (moved.bytes < size) {
    DWORD count = 0;
    if (!step(moved.bytes, StepOf(size - moved.bytes), &count)) {
      moved.failed = true;
      break;
    }
    if (count == 0) break;
    moved.bytes += count;
  }
  return moved;
}

// Removes the replacements of `path` that copies of the game killed before
// putting them in place left behind. A copy still writing one holds it open
// without sharing its deletion, so it is passed over; a dead copy's handles
// died with it. Only files of exactly the names a replacement takes are
// touched, never a folder or a link.
void RemoveLeftovers(const std::string& path) {
  const std::string folder = FolderOf(path);
  std::size_t cut = path.size();
  while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
  const std::string prefix = path.substr(cut) + kReplacementMark;
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW(SystemPath(folder + "/" + prefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = Utf8FromWide(found.cFileName);
    const DWORD skipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    if (name.size() == prefix.size() + kUniquePart && name.starts_with(prefix) &&
        (found.dwFileAttributes & skipped) == 0) {
      ::DeleteFileW(SystemPath(folder + "/" + name).c_str());
    }
  } while (::FindNextFileW(search, &found) != 0);
  ::FindClose(search);
}

std::string UniquePart() {
  static unsigned counter = 0;
  std::uint64_t seed = ::GetTickCount64() ^ (std::uint64_t{::GetCurrentProcessId()} << 20) ^
                       (std::uint64_t{++counter} << 40);
  std::string part(kUniquePart, 'a');
  for (char& c : part) {
    seed = seed * 6364136223846793005u + 1442695040888963407u;
    c = "abcdefghijklmnopqrstuvwxyz0123456789"[(seed >> 33) % 36];
  }
  return part;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.size();
  while (slash > 0 && !IsSeparator(path[slash - 1])) --slash;
  if (slash == 0) return ".";
  // A root keeps its separator: "C:/", "/".
  if (slash == 1 || (slash == 3 && path[1] == ':')) return path.substr(0, slash);
  return path.substr(0, slash - 1);
}

std::optional<std::string> ResolvedPath(const std::string& path) {
  const HANDLE handle = Open(path, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (handle == INVALID_HANDLE_VALUE) return Failed(std::nullopt);
  // Wine answers only for names shorter than 260 characters, and overruns
  // its own memory asking for much longer ones: a long path is taken as it
  // stands, made whole, when its last part is no link.
  const std::wstring whole = SystemPath(path);
  std::wstring resolved(MAX_PATH, L'\0');
  DWORD length = 0;
  if (whole.size() < MAX_PATH) {
    length = ::GetFinalPathNameByHandleW(handle, resolved.data(),
                                         static_cast<DWORD>(resolved.size()), 0);
  }
  const DWORD error = ::GetLastError();
  const std::optional<FileInfo> info = InfoOfHandle(handle);
  ::CloseHandle(handle);
  if (length == 0 || length >= resolved.size()) {
    const std::optional<FileInfo> named = InfoOf(path, Links::kDoNotFollow);
    if (info && named && SameFile(*info, *named)) return Utf8FromWide(PlainPath(whole));
    errno = length == 0 && whole.size() < MAX_PATH ? ErrnoOf(error) : ENAMETOOLONG;
    return std::nullopt;
  }
  resolved.resize(length);
  // The system's own form is \\?\C:\...; the plain one reads better in a
  // message and is as good for every call the game makes.
  if (resolved.starts_with(L"\\\\?\\") && resolved.size() > 6 && resolved[5] == L':') {
    resolved.erase(0, 4);
  }
  return Utf8FromWide(resolved);
}

std::optional<FileInfo> InfoOf(const std::string& path, Links links) {
  const DWORD flags =
      FILE_FLAG_BACKUP_SEMANTICS | (links == Links::kFollow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  const HANDLE handle = Open(path, 0, OPEN_EXISTING, flags);
  if (handle == INVALID_HANDLE_VALUE) return Failed(std::nullopt);
  std::optional<FileInfo> info = InfoOfHandle(handle);
  ::CloseHandle(handle);
  return info;
}

File::~File() {
  Close();
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, -1);
  }
  return *this;
}

// A folder opens too, as it does on POSIX systems, so that a reader finds it
// is not a file rather than failing to open it.
File File::OpenForReading(const std::string& path) {
  return File(DescriptorOf(Open(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS)));
}

File File::OpenForWriting(const std::string& path) {
  return File(DescriptorOf(Open(path, GENERIC_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL)));
}

std::optional<FileInfo> File::Info() const {
  if (handle_ < 0) return std::nullopt;
  return InfoOfHandle(HandleOf(handle_));
}

std::optional<std::size_t> File::Read(std::span<std::uint8_t> into) {
  const HANDLE handle = HandleOf(handle_);
  const Moved read = MoveInSteps(into.size(), [&](std::size_t done, DWORD count, DWORD* got) {
    return ::ReadFile(handle, into.data() + done, count, got, nullptr) != 0;
  });
  if (read.failed) return Failed(std::nullopt);
  return read.bytes;
}

// What could be read: a failed read ends it as the end of the file does.
std::size_t File::ReadUpTo(std::uint64_t offset, std::span<std::uint8_t> into) const {
  const HANDLE handle = HandleOf(handle_);
  const SavedFilePointer kept(handle);
  return MoveInSteps(into.size(),
                     [&](std::size_t done, DWORD count, DWORD* got) {
                       OVERLAPPED at = At(offset + done);
                       return ::ReadFile(handle, into.data() + done, count, got, &at) != 0;
                     })
      .bytes;
}

bool File::Write(std::span<const std::uint8_t> bytes) {
  const HANDLE handle = HandleOf(handle_);
  const Moved written = MoveInSteps(bytes.size(), [&](std::size_t done, DWORD count, DWORD* wrote) {
    return ::WriteFile(handle, bytes.data() + done, count, wrote, nullptr) != 0;
  });
  if (written.failed) return Failed(false);
  return written.bytes == bytes.size();
}

bool File::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  const HANDLE handle = HandleOf(handle_);
  const SavedFilePointer kept(handle);
  const Moved written = MoveInSteps(bytes.size(), [&](std::size_t done, DWORD count, DWORD* wrote) {
    OVERLAPPED at = At(offset + done);
    return ::WriteFile(handle, bytes.data() + done, count, wrote, &at) != 0;
  });
  if (written.failed) return Failed(false);
  return written.bytes == bytes.size();
}

bool File::Truncate(std::uint64_t size) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  return ::SetFileInformationByHandle(HandleOf(handle_), FileEndOfFileInfo, &end, sizeof end) !=
             0 ||
         Failed(false);
}

bool File::Sync() {
  return ::FlushFileBuffers(HandleOf(handle_)) != 0 || Failed(false);
}

LockResult File::TryLock() {
  OVERLAPPED at{};
  at.OffsetHigh = kLockOffsetHigh;
  if (::LockFileEx(HandleOf(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                   &at) != 0) {
    return LockResult::kLocked;
  }
  const DWORD error = ::GetLastError();
  return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? LockResult::kBusy
                                                                    : LockResult::kUnsupported;
}

// Closing the descriptor closes the handle, and with it the lock.
bool File::Close() {
  if (handle_ < 0) return true;
  const int error = errno;
  const bool closed = ::_close(std::exchange(handle_, -1)) == 0;
  if (closed) errno = error;
  return closed;
}

// The new file is held open without sharing its deletion until it has its
// name, so that no copy removing leftovers takes it for one.
FileReplacement::FileReplacement(std::string path, std::uint32_t /*permissions*/)
    : path_(std::move(path)) {
  RemoveLeftovers(path_);
  constexpr int kAttempts = 16;
  for (int attempt = 0; attempt < kAttempts && !file_.IsOpen(); ++attempt) {
    temporary_ = path_ + kReplacementMark + UniquePart();
    const HANDLE handle =
        ::CreateFileW(SystemPath(temporary_).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                      FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_EXISTS) continue;
    file_ = File(DescriptorOf(handle));
    if (!file_.IsOpen()) return;  // errno says why
  }
}

// Removes the new file, keeping errno as the failure left it.
void FileReplacement::Abandon() {
  if (!file_.IsOpen()) return;
  const int error = errno;
  file_.Close();
  ::DeleteFileW(SystemPath(temporary_).c_str());
  errno = error;
}

// The new file takes the folder's owner and rights, as every file made there
// does; there is no group to keep.
bool FileReplacement::KeepOwnerOf(const FileInfo& /*old*/) {
  return file_.IsOpen();
}

namespace {

// Renames the open file to `target` through its handle: with POSIX semantics
// first (Windows 10 on NTFS), which take the name even while another handle
// has the old file open, as a table another copy reads may be; then the
// classic way, which older systems and other file systems know.
bool RenameOpenFile(HANDLE handle, const std::wstring& target, bool replace) {
  // Windows 10's names, which the headers give only to newer targets.
  constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
  constexpr DWORD kReplaceIfExists = 0x1;
  constexpr DWORD kPosixSemantics = 0x2;
  std::vector<std::uint8_t> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  std::memcpy(rename->FileName, target.data(), rename->FileNameLength);
  const auto size = static_cast<DWORD>(buffer.size());
  // The Ex form reads a DWORD of flags where the classic one has its BOOLEAN.
  const DWORD flags = kPosixSemantics | (replace ? kReplaceIfExists : 0);
  std::memcpy(buffer.data(), &flags, sizeof flags);
  if (::SetFileInformationByHandle(handle, kFileRenameInfoEx, rename, size) != 0) return true;
  const DWORD error = ::GetLastError();
  if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED &&
      error != ERROR_INVALID_FUNCTION) {
    return false;
  }
  std::memset(buffer.data(), 0, sizeof flags);
  rename->ReplaceIfExists = replace ? TRUE : FALSE;
  return ::SetFileInformationByHandle(handle, FileRenameInfo, rename, size) != 0;
}

}  // namespace

// The file is renamed through its own handle, which it holds from its making
// to here: no other copy can have taken it meanwhile. The rename replaces an
// existing name in one step, or, for kCreateOnly, refuses a name that is
// taken, even by another copy doing the same at the same moment.
bool FileReplacement::PutInPlace(WriteMode mode) {
  if (!file_.IsOpen()) return false;
  const std::wstring target = SystemPath(path_);
  const bool replace = mode == WriteMode::kReplace;
  // A read-only file is not replaced: Windows refuses to, and so does the
  // game where the file system would let it (Wine), as marking a file so is
  // the player's way of keeping it.
  if (const std::optional<FileInfo> old = InfoOf(path_, Links::kFollow);
      replace && old && !old->Writable()) {
    errno = EACCES;
    Abandon();
    return false;
  }
  const bool placed = RenameOpenFile(HandleOf(file_.handle_), target, replace);
  const DWORD error = ::GetLastError();
  if (!placed && replace && error == ERROR_ACCESS_DENIED && InfoOf(path_, Links::kFollow)) {
    errno = EBUSY;  // the old file is open; the caller closes it and calls again
    return false;
  }
  if (!placed) {
    errno = ErrnoOf(error);
    Abandon();
    return false;
  }
  // The bytes are on disk already: a close that fails now loses nothing.
  file_.Close();
  return true;
}

// NTFS writes a rename to its journal; a folder has nothing to flush.
void FileReplacement::SyncFolder() {}

bool RemoveFile(const std::string& path) {
  return ::DeleteFileW(SystemPath(path).c_str()) != 0 || Failed(false);
}

// The folders under the player's application data are the player's alone
// already; a new one takes its parent's rights.
bool MakeFolder(const std::string& path) {
  if (::CreateDirectoryW(SystemPath(path).c_str(), nullptr) != 0) return true;
  const DWORD error = ::GetLastError();
  if (error == ERROR_ALREADY_EXISTS) return true;
  errno = ErrnoOf(error);
  return false;
}

// The system's current folder follows where its length allows; beyond that
// every call the game makes finds its files from the folder kept here.
bool SetWorkingFolder(const std::string& path) {
  const std::wstring whole = SystemPath(path);
  const DWORD attributes = ::GetFileAttributesW(whole.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Failed(false);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    errno = ENOTDIR;
    return false;
  }
  // A longer one is never given to the system: Windows refuses it unless
  // long paths are allowed, and Wine takes it and overruns its own memory.
  const std::wstring plain = PlainPath(whole);
  const bool taken = plain.size() < MAX_PATH - 1 && ::SetCurrentDirectoryW(plain.c_str()) != 0;
  g_workingFolder = taken ? std::wstring() : plain;
  return true;
}

// With forward slashes, as every path the game makes.
std::string ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  std::string utf8 = Utf8FromWide(path);
  for (char& c : utf8) {
    if (c == '\\') c = '/';
  }
  return utf8;
}

std::optional<std::string> LoginName() {
  std::wstring name(256 + 1, L'\0');  // UNLEN + 1
  auto length = static_cast<DWORD>(name.size());
  if (::GetUserNameW(name.data(), &length) == 0 || length == 0) return std::nullopt;
  name.resize(length - 1);  // the count includes the closing NUL
  return Utf8FromWide(name);
}

}  // namespace platform
