#include "tools/art/wav_writer.h"

namespace art {

Bytes EncodeWav16Mono(const std::vector<std::int16_t>& samples, std::uint32_t sampleRate) {
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  Bytes out;
  PutText(out, "RIFF");
  PutU32(out, 4 + (8 + 16) + (8 + dataBytes));
  PutText(out, "WAVE");
  PutText(out, "fmt ");
  PutU32(out, 16);
  PutU16(out, 1);  // PCM
  PutU16(out, 1);  // mono
  PutU32(out, sampleRate);
  PutU32(out, sampleRate * 2);  // bytes per second
  PutU16(out, 2);               // bytes per frame
  PutU16(out, 16);              // bits per sample
  PutText(out, "data");
  PutU32(out, dataBytes);
  for (std::int16_t s : samples) PutU16(out, static_cast<std::uint16_t>(s));
  return out;
}

}  // namespace art
