// Renderings of the tunes, kept between runs so that a tune is synthesised
// once and then only decoded. A rendering is found by a key made of the
// tune's bytes and the soundfont, so a changed tune or soundfont is never
// heard in its old form. Each file ends in a trailer that holds its length
// and a checksum; a file that does not match it (cut short by a crash, a
// full disk, or damaged) is never handed to the decoder.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

// $XDG_CACHE_HOME/morvex2, else ~/.cache/morvex2; empty when neither is known.
std::string DefaultTuneCacheFolder();

// The soundfont as far as a rendering depends on it: where it is, its size and
// when it last changed. Empty when it is no regular file.
std::string SoundFontIdentity(const std::string& soundFont);

// Where the rendering of these tune bytes with that soundfont belongs.
std::string TuneCachePath(const std::string& folder, std::span<const std::uint8_t> tune,
                          const std::string& soundFontIdentity);

// A rendering checked whole and left open for streaming: the descriptor of
// the file as it was checked (a file renamed over it later changes nothing)
// and the length of its Ogg stream, which starts at offset 0.
struct CachedTune {
  int fd = -1;
  std::uint64_t length = 0;
};

// The rendering at `path`, or nothing when the file is missing or damaged.
// The caller closes the descriptor.
[[nodiscard]] std::optional<CachedTune> OpenCachedTune(const std::string& path);

// The rendering's Ogg bytes, or nothing when the file is missing or damaged.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> ReadCachedTune(const std::string& path);

// Writes the rendering beside its place and renames it there, so the file is
// whole or absent. Creates the folder when needed. False when it failed.
[[nodiscard]] bool WriteCachedTune(const std::string& path, std::span<const std::uint8_t> ogg);

}  // namespace platform
