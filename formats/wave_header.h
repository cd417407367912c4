// The header of a plain WAV file of 16-bit samples, as the tune cache keeps
// its renderings: whether the synthesiser made them or they were decoded
// from the game's own shipped ones, the mixer reads them the same way.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace formats {

inline constexpr std::size_t kWaveHeaderSize = 44;

// The header for `dataBytes` bytes of interleaved 16-bit samples of
// `channels` channels at `rate` frames a second.
std::array<std::uint8_t, kWaveHeaderSize> WaveHeader(int channels, int rate,
                                                     std::uint32_t dataBytes);

}  // namespace formats
