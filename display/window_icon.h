// The program's icon "ZELF", decoded for the desktop to show beside the title.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;  // ARGB8888, top row first
};

// Decodes the first image of a .ico file: 1, 4 or 8 bits per pixel with a
// colour table and an AND mask. False for anything else or anything damaged.
[[nodiscard]] bool DecodeIcon(const std::uint8_t* data, std::size_t size, IconImage* image);

// The icon carried inside the program; false when it is missing or damaged.
[[nodiscard]] bool LoadWindowIcon(IconImage* image);
