// Encodes mono 16-bit PCM as a RIFF WAVE file.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/art/byte_writer.h"

namespace art {

Bytes EncodeWav16Mono(const std::vector<std::int16_t>& samples, std::uint32_t sampleRate);

}  // namespace art
