// Feeds arbitrary bytes to the clap loader as a WAV file. Besides what the
// sanitizers catch, it checks that whatever is accepted comes out as whole
// frames of the device's format and no longer than a clap may last.
//
// Built by clang with libFuzzer apart from the game, against SDL alone.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/sdl/clap_wave.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const platform::DeviceFormat device;
  const auto samples = platform::DecodeClap(std::span(data, size), device);
  if (samples) {
    constexpr std::size_t kFrameBytes = 4;
    // The converter may round the length up by a few frames.
    constexpr std::size_t kMost =
        (std::size_t{platform::kLongestClapMs} * 44100 / 1000 + 64) * kFrameBytes;
    if (samples->empty() || samples->size() % kFrameBytes != 0 || samples->size() > kMost) {
      std::abort();
    }
  }
  return 0;
}
