#include "platform/sdl/clap_wave.h"

#include <cstring>
#include <string>

#include "platform/sdl/sdl_owned.h"

namespace platform {

namespace {

// Rates outside these are no recording anyone makes, and the converter's
// buffer grows with the ratio between the file's rate and the device's.
constexpr int kSlowestRate = 4000;
constexpr int kFastestRate = 192000;

std::uint32_t LittleEndian(std::span<const std::uint8_t> bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// Why the bytes are not a RIFF WAVE file whose every chunk lies inside the
// bytes there are, with a format chunk and a data chunk; null when they are.
// SDL's reader takes a chunk's length on trust and sets that much memory
// aside before it reads, gigabytes for a few lying bytes.
const char* ChunksDoNotFit(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
      std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    return "not a WAV file";
  }
  bool format = false, data = false;
  for (std::size_t at = 12; at < bytes.size();) {
    if (bytes.size() - at < 8) return "the file ends inside a chunk's header";
    const std::uint32_t size = LittleEndian(bytes, at + 4);
    if (size > bytes.size() - at - 8) return "a chunk's header claims more bytes than the file has";
    format = format || std::memcmp(bytes.data() + at, "fmt ", 4) == 0;
    data = data || std::memcmp(bytes.data() + at, "data", 4) == 0;
    at += 8 + std::size_t{size} + (size & 1);  // chunks are padded to an even length
  }
  return format && data ? nullptr : "no format chunk or no data chunk";
}

// The decoded samples in the device's format; nothing when they are not a
// clap's length, at a rate a clap may have, or cannot be converted.
std::optional<std::vector<std::uint8_t>> ConvertClap(const SDL_AudioSpec& spec,
                                                     const Uint8* samples, Uint32 length,
                                                     const DeviceFormat& device, std::string& why) {
  const std::uint64_t frameBytes =
      static_cast<std::uint64_t>(SDL_AUDIO_BITSIZE(spec.format)) / 8 * spec.channels;
  const std::uint64_t frames = frameBytes == 0 ? 0 : length / frameBytes;
  SDL_AudioCVT cvt{};
  if (frames == 0) {
    why = "no samples";
    return std::nullopt;
  }
  if (spec.freq < kSlowestRate || spec.freq > kFastestRate) {
    why = "a sample rate of " + std::to_string(spec.freq) + " Hz";
    return std::nullopt;
  }
  if (frames * 1000 > std::uint64_t{kLongestClapMs} * static_cast<std::uint64_t>(spec.freq)) {
    why = "longer than 5 seconds";
    return std::nullopt;
  }
  if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, device.format,
                        static_cast<Uint8>(device.channels), device.frequency) < 0) {
    why = SDL_GetError();
    return std::nullopt;
  }
  std::vector<std::uint8_t> converted(std::size_t{length} * static_cast<std::size_t>(cvt.len_mult));
  std::memcpy(converted.data(), samples, length);
  cvt.buf = converted.data();
  cvt.len = static_cast<int>(length);
  if (cvt.needed != 0 && SDL_ConvertAudio(&cvt) != 0) {
    why = SDL_GetError();
    return std::nullopt;
  }
  converted.resize(cvt.needed == 0 ? length : static_cast<std::size_t>(cvt.len_cvt));
  if (converted.empty()) {
    why = "no samples";
    return std::nullopt;
  }
  return converted;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> DecodeClap(std::span<const std::uint8_t> bytes,
                                                    const DeviceFormat& device, std::string* why) {
  std::string ignored;
  std::string& reason = why != nullptr ? *why : ignored;
  if (bytes.size() > kLargestClapFile) {
    reason = "larger than a clap";
    return std::nullopt;
  }
  if (const char* unfit = ChunksDoNotFit(bytes); unfit != nullptr) {
    reason = unfit;
    return std::nullopt;
  }
  SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  SDL_AudioSpec spec{};
  Uint8* loaded = nullptr;
  Uint32 length = 0;
  // The load closes the source, whether it reads the file or not.
  if (source == nullptr || SDL_LoadWAV_RW(source, SDL_TRUE, &spec, &loaded, &length) == nullptr) {
    reason = SDL_GetError();
    return std::nullopt;
  }
  const OwnedWavSamples samples(loaded);
  return ConvertClap(spec, samples.get(), length, device, reason);
}

}  // namespace platform
