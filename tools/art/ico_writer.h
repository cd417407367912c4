// Encodes a Windows icon file holding one 16-colour image with its mask.
#pragma once

#include <vector>

#include "tools/art/byte_writer.h"
#include "tools/art/indexed_image.h"

namespace art {

// `image`: palette indices below 16; `transparent`: per pixel, true where the
// desktop shows through (the AND mask). Transparent pixels should use an
// entry that is black, as the XOR image must be black under the mask.
Bytes EncodeIcon16(const IndexedImage& image, const std::vector<bool>& transparent);

}  // namespace art
