// The clap heard when a balloon pops.
#pragma once

#include <cstdint>
#include <vector>

namespace art {

inline constexpr std::uint32_t kClapSampleRate = 22050;

// About a quarter of a second of mono samples.
std::vector<std::int16_t> MakeClap();

}  // namespace art
