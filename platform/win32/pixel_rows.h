// A row of a 16-bit surface's pixels, where the surfaces' blits and the text
// drawing write.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace platform {

inline std::uint16_t* PixelRow(const SDL_Surface& pixels, std::int64_t y) {
  return reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(pixels.pixels) +
                                          y * pixels.pitch);
}

}  // namespace platform
