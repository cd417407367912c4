// Renderings of the tunes, kept between runs so that a tune is synthesised
// once and then only decoded. A rendering is found by a key made of the
// tune's bytes and the soundfont, so a changed tune or soundfont is never
// heard in its old form. Each file ends in a trailer that holds its length
// and a checksum; a file that does not match it (cut short by a crash, a
// full disk, or damaged) is never handed to the decoder.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/base/files.h"

namespace platform {

// Making a rendering stops here; a tune this long is played as it is instead.
inline constexpr int kLongestRenderedSeconds = 600;

// The soundfont as far as a rendering depends on it: where it is, its size and
// when it last changed. Empty when it is no regular file.
std::string SoundFontIdentity(const std::string& soundFont);

// Where the rendering of these tune bytes with that soundfont belongs.
std::string TuneCachePath(const std::string& folder, std::span<const std::uint8_t> tune,
                          const std::string& soundFontIdentity);

// A rendering checked whole and left open for streaming: the file as it was
// checked (a file renamed over it later changes nothing) and the length of
// the rendering, which starts at offset 0.
struct CachedTune {
  File file;
  std::uint64_t length = 0;
};

// The rendering at `path`, or nothing when the file is missing or damaged.
[[nodiscard]] std::optional<CachedTune> OpenCachedTune(const std::string& path);

// The rendering's bytes, or nothing when the file is missing or damaged.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> ReadCachedTune(const std::string& path);

// A rendering written as it is made, beside its place, and renamed there by
// Finish, so the file is whole or absent; one abandoned before Finish leaves
// nothing. Creates the folder when needed.
class CachedTuneWriter {
 public:
  explicit CachedTuneWriter(const std::string& path);
  CachedTuneWriter(const CachedTuneWriter&) = delete;
  CachedTuneWriter& operator=(const CachedTuneWriter&) = delete;

  [[nodiscard]] bool Append(std::span<const std::uint8_t> bytes);
  // Makes room for a rendering of `length` bytes, known before it is written.
  [[nodiscard]] bool Reserve(std::uint64_t length);
  // Writes over bytes already appended: a header that is known only at the end.
  [[nodiscard]] bool Overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  // False when anything failed or nothing was written.
  [[nodiscard]] bool Finish();

 private:
  std::string path_;
  std::unique_ptr<FileReplacement> file_;
  std::uint64_t length_ = 0;
};

// A rendering held whole in memory, written as CachedTuneWriter does.
[[nodiscard]] bool WriteCachedTune(const std::string& path,
                                   std::span<const std::uint8_t> rendering);

}  // namespace platform
