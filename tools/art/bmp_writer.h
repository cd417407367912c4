// Encodes a 256-colour picture as a Windows bitmap file: 8 bits per pixel, its
// own 256-entry colour table, rows bottom-up, uncompressed.
#pragma once

#include "tools/art/byte_writer.h"
#include "tools/art/indexed_image.h"

namespace art {

Bytes EncodeBmp8(const IndexedImage& image);

}  // namespace art
