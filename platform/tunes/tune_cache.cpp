#include "platform/tunes/tune_cache.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/base/files.h"
#include "platform/base/user_folders.h"

namespace platform {

namespace {

// Bumped whenever the way a tune is rendered or stored changes, so that old
// renderings are no longer found.
constexpr std::string_view kRenderingFormat = "morvex2 tune rendering 2";
constexpr char kTrailerTag[8] = {'M', 'V', 'X', '2', 'T', 'U', 'N', 'E'};
constexpr std::size_t kTrailerSize = 24;  // tag, length, checksum
// Ten minutes of CD-quality samples are about 106 megabytes.
constexpr std::size_t kLargestCacheFile = std::size_t{128} * 1024 * 1024;

// FNV-1a: enough to tell renderings apart and to notice damage; nobody gains
// anything by forging a rendering in their own cache.
class Fnv1a {
 public:
  void Add(std::span<const std::uint8_t> bytes) {
    for (std::uint8_t byte : bytes) hash_ = (hash_ ^ byte) * 0x100000001B3ull;
  }
  void Add(std::string_view text) {
    Add(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    Add(std::span<const std::uint8_t>(kSeparator));
  }
  [[nodiscard]] std::uint64_t Value() const { return hash_; }

 private:
  static constexpr std::uint8_t kSeparator[1] = {0};
  std::uint64_t hash_ = 0xCBF29CE484222325ull;
};

void PutNumber(std::vector<std::uint8_t>& out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(value >> 8 * i));
}

std::uint64_t GetNumber(const std::uint8_t* bytes) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

// The checksum reads every byte of a rendering, tens of megabytes, at each
// start: FNV-1a's step taken eight bytes at a time, eight times as fast. The
// file's own name is part of it, so that the rendering of one tune copied to
// the place of another is refused like any damage.
class Checksum {
 public:
  explicit Checksum(const std::string& path) {
    Fnv1a name;
    name.Add(std::string_view(path).substr(path.rfind('/') + 1));
    hash_ = name.Value();
  }
  // Bytes in the order of the file; any split of them gives the same sum.
  void Add(std::span<const std::uint8_t> bytes) {
    std::size_t at = 0;
    while (at < bytes.size() && filled_ > 0) AddByte(bytes[at++]);
    for (; bytes.size() - at >= 8; at += 8) {
      word_ = GetNumber(bytes.data() + at);
      Step();
    }
    while (at < bytes.size()) AddByte(bytes[at++]);
  }
  std::uint64_t Value() {
    if (filled_ > 0) Step();
    return hash_;
  }

 private:
  void AddByte(std::uint8_t byte) {
    word_ |= std::uint64_t{byte} << 8 * filled_;
    if (++filled_ == 8) Step();
  }
  void Step() {
    hash_ = (hash_ ^ word_) * 0x100000001B3ull;
    word_ = 0;
    filled_ = 0;
  }
  std::uint64_t hash_ = 0;
  std::uint64_t word_ = 0;
  int filled_ = 0;
};

// Adds the first `length` bytes of `file` (a File, or a FileReplacement being
// written) to `sum`; false when they cannot be read.
template <typename Readable>
bool AddFile(const Readable& file, std::uint64_t length, Checksum& sum) {
  // Read through in blocks: the checksum needs every byte, memory none of them.
  std::uint8_t block[65536];
  for (std::uint64_t done = 0; done < length;) {
    const auto size =
        static_cast<std::size_t>(std::min<std::uint64_t>(sizeof block, length - done));
    if (!file.ReadAt(done, std::span(block, size))) return false;
    sum.Add(std::span<const std::uint8_t>(block, size));
    done += size;
  }
  return true;
}

}  // namespace

std::string SoundFontIdentity(const std::string& soundFont) {
  if (soundFont.empty()) return {};
  const std::optional<FileInfo> info = InfoOf(soundFont, Links::kFollow);
  if (!info || info->kind != FileKind::kRegular) return {};
  return soundFont + '\n' + std::to_string(info->size) + '\n' +
         std::to_string(info->modifiedSeconds) + '.' + std::to_string(info->modifiedNanoseconds);
}

std::string TuneCachePath(const std::string& folder, std::span<const std::uint8_t> tune,
                          const std::string& soundFontIdentity) {
  Fnv1a key;
  key.Add(kRenderingFormat);
  key.Add(soundFontIdentity);
  key.Add(tune);
  char name[32];
  std::snprintf(name, sizeof name, "%016llx-%zu.tune", static_cast<unsigned long long>(key.Value()),
                tune.size());
  return folder + '/' + name;
}

std::optional<CachedTune> OpenCachedTune(const std::string& path) {
  File file = File::OpenForReading(path);
  const std::optional<FileInfo> info = file.Info();
  if (!info || info->kind != FileKind::kRegular || info->size <= kTrailerSize ||
      info->size > kLargestCacheFile) {
    return std::nullopt;
  }
  const std::uint64_t length = info->size - kTrailerSize;
  Checksum sum(path);
  std::uint8_t trailer[kTrailerSize];
  const bool whole = AddFile(file, length, sum) && file.ReadAt(length, trailer);
  if (!whole || std::memcmp(trailer, kTrailerTag, sizeof kTrailerTag) != 0 ||
      GetNumber(trailer + 8) != length || GetNumber(trailer + 16) != sum.Value()) {
    return std::nullopt;
  }
  return CachedTune{std::move(file), length};
}

std::optional<std::vector<std::uint8_t>> ReadCachedTune(const std::string& path) {
  const std::optional<CachedTune> tune = OpenCachedTune(path);
  if (!tune) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(tune->length));
  if (!tune->file.ReadAt(0, bytes)) return std::nullopt;
  return bytes;
}

CachedTuneWriter::CachedTuneWriter(const std::string& path) : path_(path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || !MakeFolders(path.substr(0, slash))) return;
  // Two copies of the game may render the same tune at the same time; each
  // writes under a name of its own and the last to finish simply wins.
  file_ = std::make_unique<FileReplacement>(path, 0600);
}

bool CachedTuneWriter::Append(std::span<const std::uint8_t> bytes) {
  if (!file_ || !file_->Append(bytes)) return false;
  length_ += bytes.size();
  return true;
}

bool CachedTuneWriter::Reserve(std::uint64_t length) {
  return file_ && length <= kLargestCacheFile && file_->Reserve(length + kTrailerSize);
}

bool CachedTuneWriter::Overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  return file_ && file_->Overwrite(offset, bytes);
}

// The checksum is taken from the file as written, which is what will be read.
bool CachedTuneWriter::Finish() {
  if (!file_ || !file_->Ok() || length_ == 0) return false;
  Checksum sum(path_);
  if (!AddFile(*file_, length_, sum)) return false;
  std::vector<std::uint8_t> trailer(kTrailerTag, kTrailerTag + sizeof kTrailerTag);
  PutNumber(trailer, length_);
  PutNumber(trailer, sum.Value());
  return file_->Append(trailer) && file_->Commit(WriteMode::kReplace);
}

bool WriteCachedTune(const std::string& path, std::span<const std::uint8_t> rendering) {
  CachedTuneWriter writer(path);
  return writer.Append(rendering) && writer.Finish();
}

}  // namespace platform
