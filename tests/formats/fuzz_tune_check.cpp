// Feeds arbitrary bytes to the tune check. Besides what the sanitizers catch,
// a file it accepts must at least begin as a Standard MIDI File does, and the
// answer must not depend on anything but the bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "formats/midi_file_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A copy of exactly `size` bytes, so that a read past the end is caught.
  const std::vector<std::uint8_t> bytes(data, data + size);
  const bool playable = formats::IsPlayableMidi(bytes);
  if (playable && (size < 14 || std::memcmp(bytes.data(), "MThd", 4) != 0)) std::abort();
  if (formats::IsPlayableMidi(std::span(bytes)) != playable) std::abort();
  return 0;
}
