#include "platform/tunes/rendering_decoder.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "formats/wave_header.h"
#include "platform/tunes/decoded_rendering.h"

namespace platform {

namespace {

// The decoder reads the checked file through these, from its own place.
struct Source {
  const File& file;
  std::uint64_t length;
  std::uint64_t at = 0;
};

std::size_t SourceRead(void* into, std::size_t size, std::size_t count, void* data) {
  auto& source = *static_cast<Source*>(data);
  const std::uint64_t wanted = std::min<std::uint64_t>(
      std::uint64_t{size} * count, source.at < source.length ? source.length - source.at : 0);
  const std::size_t got = source.file.ReadUpTo(
      source.at, std::span(static_cast<std::uint8_t*>(into), static_cast<std::size_t>(wanted)));
  source.at += got;
  return size == 0 ? 0 : got / size;
}

int SourceSeek(void* data, ogg_int64_t offset, int whence) {
  auto& source = *static_cast<Source*>(data);
  const auto length = static_cast<ogg_int64_t>(source.length);
  const ogg_int64_t base = whence == SEEK_SET   ? 0
                           : whence == SEEK_CUR ? static_cast<ogg_int64_t>(source.at)
                                                : length;
  if (offset < -base || offset > length - base) return -1;
  source.at = static_cast<std::uint64_t>(base + offset);
  return 0;
}

long SourceTell(void* data) {
  return static_cast<long>(static_cast<Source*>(data)->at);
}

// The decoder's state, given back however decoding ends.
class Decoder {
 public:
  Decoder() = default;
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
  ~Decoder() {
    if (open_) ov_clear(&file_);
  }
  bool Open(Source& source) {
    // No close: the file belongs to the caller.
    const ov_callbacks callbacks{SourceRead, SourceSeek, nullptr, SourceTell};
    open_ = ov_open_callbacks(&source, &file_, nullptr, 0, callbacks) == 0;
    return open_;
  }
  OggVorbis_File* get() { return &file_; }

 private:
  OggVorbis_File file_{};
  bool open_ = false;
};

// The stream's channels and rate, when it is one Vorbis stream of a kind the
// cache can keep.
std::optional<SampleFormat> KeptFormat(Decoder& decoder) {
  if (ov_streams(decoder.get()) != 1) return std::nullopt;
  const vorbis_info* info = ov_info(decoder.get(), 0);
  if (info == nullptr || info->rate < 1 || info->rate > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  const SampleFormat format{info->channels, static_cast<int>(info->rate)};
  if (!CacheKeepsFormat(format)) return std::nullopt;
  return format;
}

// Appends every sample of the stream to `out`: how many bytes they took, or
// nothing when they took more than `longest`, or reading or writing failed,
// or `cancel` became true.
std::optional<std::uint64_t> AppendSamples(Decoder& decoder, std::uint64_t longest,
                                           const std::atomic<bool>& cancel, CachedTuneWriter& out) {
  std::vector<std::uint8_t> block(kSampleBlockBytes);
  std::size_t filled = 0;
  std::uint64_t written = 0;
  for (long got = -1; got != 0;) {
    if (cancel.load(std::memory_order_relaxed)) return std::nullopt;
    int section = 0;
    // Little-endian, 16-bit, signed: what a WAV file holds, and what the
    // mixer asks the decoder for on the machines the game is built for.
    got = ov_read(decoder.get(), reinterpret_cast<char*>(block.data() + filled),
                  static_cast<int>(block.size() - filled), 0, 2, 1, &section);
    if (got < 0) return std::nullopt;
    filled += static_cast<std::size_t>(got);
    if (got == 0 || filled == block.size()) {
      written += filled;
      if (written > longest || !out.Append(std::span(block.data(), filled))) return std::nullopt;
      filled = 0;
    }
  }
  return written;
}

}  // namespace

bool DecodeOggRendering(const std::string& path, const std::atomic<bool>& cancel,
                        CachedTuneWriter& out) {
  const std::optional<CachedTune> rendering = OpenCachedTune(path);
  if (!rendering) return false;
  Source source{rendering->file, rendering->length};
  Decoder decoder;
  const std::optional<SampleFormat> format =
      decoder.Open(source) ? KeptFormat(decoder) : std::nullopt;
  if (!format || !out.Append(formats::WaveHeader(format->channels, format->rate, 0))) return false;
  const std::optional<std::uint64_t> written =
      AppendSamples(decoder, LongestSampleBytes(*format), cancel, out);
  return written && *written > 0 &&
         out.Overwrite(0, formats::WaveHeader(format->channels, format->rate,
                                              static_cast<std::uint32_t>(*written)));
}

}  // namespace platform
