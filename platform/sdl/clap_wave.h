// The clap, read as the hostile file it may be: a WAV of at most a few
// seconds, converted once into the mixer's own sample format so that playing
// it costs nothing but the mix.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

// A clap is a fraction of a second; a file far larger is not one.
inline constexpr std::size_t kLargestClapFile = std::size_t{1024} * 1024;
// Longer sounds are refused before they are converted, which is what bounds
// the memory: a slow 8-bit mono file grows 44-fold on its way to the device.
inline constexpr int kLongestClapMs = 5000;

struct DeviceFormat {
  SDL_AudioFormat format = AUDIO_S16SYS;
  int channels = 2;
  int frequency = 44100;
};

// The samples of a WAV file in the device's format, or nothing when the bytes
// are not a WAV that SDL can read, or are empty, too long or of a strange rate;
// `why`, when given, then says which, in a few words.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> DecodeClap(
    std::span<const std::uint8_t> bytes, const DeviceFormat& device, std::string* why = nullptr);

}  // namespace platform
