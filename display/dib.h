// Reading an 8-bit device-independent bitmap (.bmp) from bytes that nobody
// vouches for: every size and offset is checked against the bytes there are,
// so a truncated or inconsistent picture is refused, never read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/win32/gdi.h"

struct DibSize {
  std::int32_t width;
  std::int32_t height;  // negative for a picture stored top row first
};

// The size in the picture's header; nothing when the header is cut short.
[[nodiscard]] std::optional<DibSize> ReadDibSize(std::span<const std::uint8_t> file);

// A picture inside `file` (which must outlive it): 8 bits per pixel,
// uncompressed, a 256-entry colour table, rows bottom-up or top-down.
// Nothing for anything else or for a file whose parts do not fit.
[[nodiscard]] std::optional<IndexedBitmap> ParseDib(std::span<const std::uint8_t> file);
