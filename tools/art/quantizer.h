// Reduces a painted canvas to a picture of at most 256 colours.
#pragma once

#include <vector>

#include "tools/art/canvas.h"
#include "tools/art/indexed_image.h"

namespace art {

struct ReservedColour {
  Rgb8 colour;
  bool usable;  // may painted pixels be given this entry?
};

struct QuantizeOptions {
  // Entries in the palette: 256, or 16 for the icon. Unused ones stay black.
  int size = 256;
  // Palette entries 0, 1, ... in this order, before the chosen ones.
  std::vector<ReservedColour> reserved;
  // Per pixel: true where error diffusion may smooth a gradient. Empty: none.
  // Lines, lettering and small tiles look cleaner without it.
  std::vector<bool> dither;
  // Per pixel: a palette index to use as it is (-1: choose). Empty: choose all.
  std::vector<int> forced;
};

// Picks the free palette entries by median cut refined with a few rounds of
// k-means, then maps every pixel to its nearest usable entry. Entirely
// deterministic: the same canvas gives the same bytes on every run.
IndexedImage Quantize(const Canvas& canvas, const QuantizeOptions& options);

}  // namespace art
