// A shipped rendering's samples, once decoded, as the tune cache keeps them:
// a plain WAV file of 16-bit samples, which the mixer plays at almost no
// cost. Whichever decoder made them, the game's own on the renderings'
// worker (rendering_decoder.h) or the browser's on the page, they are kept
// only when they fit the cache, and written whole or not at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/tunes/tune_cache.h"

namespace platform {

// Decoded samples are handed over and written in blocks of this many bytes.
inline constexpr std::size_t kSampleBlockBytes = 65536;

struct SampleFormat {
  int channels = 0;
  int rate = 0;  // frames a second
};

// True for one or two channels at up to 48 kHz: ten minutes of those still
// fit in the largest file the cache reads.
[[nodiscard]] bool CacheKeepsFormat(SampleFormat format);

// The most bytes of samples of `format` kept: kLongestRenderedSeconds of them.
[[nodiscard]] std::uint64_t LongestSampleBytes(SampleFormat format);

// Fills `into` with the interleaved samples from frame `firstFrame` on
// (`into` holds a whole number of frames); false when they cannot be had.
using SampleSource = std::function<bool(std::uint64_t firstFrame, std::span<std::int16_t> into)>;

// Writes `frames` frames of `format` into the cache at `path`, header
// first, a few blocks at a time, so that a tune of tens of megabytes never
// keeps the game from its frames for long.
class DecodedSamplesWriter {
 public:
  // Refused at once when the cache does not keep the format, or there are no
  // frames or more than LongestSampleBytes: the first Write then fails.
  DecodedSamplesWriter(const std::string& path, SampleFormat format, std::uint64_t frames);

  enum class Step {
    kMore,     // blocks are left to write
    kWritten,  // every frame is written, and the file is whole at its place
    kFailed,   // refused, or reading or writing failed: nothing is left
  };
  // Writes up to `blocks` more blocks from `source`, and once every frame is
  // written, finishes the file.
  Step Write(const SampleSource& source, int blocks);

 private:
  CachedTuneWriter out_;
  SampleFormat format_;
  std::uint64_t frames_;
  std::uint64_t done_ = 0;
  bool failed_ = false;
  std::vector<std::int16_t> block_;
};

}  // namespace platform
