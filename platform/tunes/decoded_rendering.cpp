#include "platform/tunes/decoded_rendering.h"

#include <algorithm>
#include <bit>
#include <vector>

#include "formats/wave_header.h"

namespace platform {

namespace {

// The most frames a second kept.
constexpr int kLargestRate = 48000;

// A WAV file's samples are little-endian, as they are in memory on every
// machine the game is built for.
static_assert(std::endian::native == std::endian::little);

}  // namespace

bool CacheKeepsFormat(SampleFormat format) {
  return format.channels >= 1 && format.channels <= 2 && format.rate >= 1 &&
         format.rate <= kLargestRate;
}

std::uint64_t LongestSampleBytes(SampleFormat format) {
  return std::uint64_t{kLongestRenderedSeconds} * static_cast<std::uint64_t>(format.rate) *
         static_cast<std::uint64_t>(format.channels) * 2;
}

DecodedSamplesWriter::DecodedSamplesWriter(const std::string& path, SampleFormat format,
                                           std::uint64_t frames)
    : out_(path), format_(format), frames_(frames) {
  const auto frameBytes = static_cast<std::uint64_t>(format.channels) * 2;
  failed_ =
      !CacheKeepsFormat(format) || frames == 0 || frames > LongestSampleBytes(format) / frameBytes;
  if (failed_) return;
  // Room for the whole file first: the browser's files, held in memory,
  // would otherwise be copied whole again and again as they grow.
  const std::uint64_t sampleBytes = frames * frameBytes;
  failed_ = !out_.Reserve(formats::kWaveHeaderSize + sampleBytes) ||
            !out_.Append(formats::WaveHeader(format.channels, format.rate,
                                             static_cast<std::uint32_t>(sampleBytes)));
  block_.resize(kSampleBlockBytes / 2);
}

DecodedSamplesWriter::Step DecodedSamplesWriter::Write(const SampleSource& source, int blocks) {
  if (failed_) return Step::kFailed;
  const auto channels = static_cast<std::uint64_t>(format_.channels);
  const std::uint64_t blockFrames = block_.size() / channels;
  for (int block = 0; block < blocks && !failed_ && done_ < frames_; ++block) {
    const std::uint64_t count = std::min(blockFrames, frames_ - done_);
    const std::span<std::int16_t> samples(block_.data(),
                                          static_cast<std::size_t>(count * channels));
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(samples.data()),
                                              samples.size_bytes());
    failed_ = !source(done_, samples) || !out_.Append(bytes);
    done_ += count;
  }
  if (failed_) return Step::kFailed;
  if (done_ < frames_) return Step::kMore;
  failed_ = !out_.Finish();
  return failed_ ? Step::kFailed : Step::kWritten;
}

}  // namespace platform
