// Encodes a full-colour picture with its coverage as an 8-bit RGBA PNG: the
// icons that desktops show in their menus.
#pragma once

#include <optional>

#include "tools/art/byte_writer.h"
#include "tools/art/canvas.h"

namespace art {

std::optional<Bytes> EncodePngRgba(const Canvas& canvas);

}  // namespace art
