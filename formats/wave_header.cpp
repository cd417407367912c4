#include "formats/wave_header.h"

#include <algorithm>
#include <string_view>

namespace formats {

namespace {

void PutLittle(std::uint8_t* at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> 8 * i);
}

void PutTag(std::uint8_t* at, std::string_view tag) {
  std::copy(tag.begin(), tag.end(), at);
}

}  // namespace

std::array<std::uint8_t, kWaveHeaderSize> WaveHeader(int channels, int rate,
                                                     std::uint32_t dataBytes) {
  const auto frameBytes = static_cast<std::uint32_t>(2 * channels);
  std::array<std::uint8_t, kWaveHeaderSize> header{};
  std::uint8_t* h = header.data();
  PutTag(h, "RIFF");
  PutLittle(h + 4, 36 + dataBytes, 4);
  PutTag(h + 8, "WAVEfmt ");
  PutLittle(h + 16, 16, 4);  // the size of the format chunk
  PutLittle(h + 20, 1, 2);   // integer samples
  PutLittle(h + 22, static_cast<std::uint32_t>(channels), 2);
  PutLittle(h + 24, static_cast<std::uint32_t>(rate), 4);
  PutLittle(h + 28, static_cast<std::uint32_t>(rate) * frameBytes, 4);
  PutLittle(h + 32, frameBytes, 2);
  PutLittle(h + 34, 16, 2);  // bits a sample
  PutTag(h + 36, "data");
  PutLittle(h + 40, dataBytes, 4);
  return header;
}

}  // namespace formats
