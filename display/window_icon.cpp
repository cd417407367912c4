#include "display/window_icon.h"

#include <cstddef>

#include "resources/resources.h"

namespace {

std::uint32_t ReadU16(const std::uint8_t* p) {
  return p[0] | (p[1] << 8);
}

std::uint32_t ReadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Bytes of one row of `bits`-per-pixel pixels, padded to four bytes.
std::size_t RowBytes(int width, int bits) {
  return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) / 32 * 4;
}

int PaletteIndex(const std::uint8_t* row, int x, int bits) {
  const int bitOffset = x * bits;
  const int shift = 8 - bits - bitOffset % 8;
  return (row[bitOffset / 8] >> shift) & ((1 << bits) - 1);
}

struct IconDib {
  const std::uint8_t* header;
  std::size_t size;
  int width;
  int height;
  int bits;
  std::size_t colors;
};

// The image's own header: its height counts the colour rows and the mask rows.
bool ReadDib(const std::uint8_t* data, std::size_t size, IconDib* dib) {
  if (size < 40 || ReadU32(data) < 40) return false;
  const std::uint32_t headerSize = ReadU32(data);
  const auto width = static_cast<std::int32_t>(ReadU32(data + 4));
  const auto doubleHeight = static_cast<std::int32_t>(ReadU32(data + 8));
  const std::uint32_t bits = ReadU16(data + 14);
  const std::uint32_t compression = ReadU32(data + 16);
  if (width <= 0 || width > 256 || doubleHeight <= 0 || doubleHeight > 512 ||
      doubleHeight % 2 != 0 || compression != 0 || (bits != 1 && bits != 4 && bits != 8) ||
      headerSize > size) {
    return false;
  }
  *dib =
      IconDib{data, size, width, doubleHeight / 2, static_cast<int>(bits), std::size_t{1} << bits};
  return true;
}

bool DecodeDib(const IconDib& dib, IconImage* image) {
  const std::size_t headerSize = ReadU32(dib.header);
  const std::size_t colorRow = RowBytes(dib.width, dib.bits);
  const std::size_t maskRow = RowBytes(dib.width, 1);
  const std::size_t rows = static_cast<std::size_t>(dib.height);
  const std::size_t needed = headerSize + 4 * dib.colors + rows * (colorRow + maskRow);
  if (needed > dib.size) return false;
  const std::uint8_t* palette = dib.header + headerSize;
  const std::uint8_t* colors = palette + 4 * dib.colors;
  const std::uint8_t* mask = colors + rows * colorRow;
  image->width = dib.width;
  image->height = dib.height;
  image->argb.assign(static_cast<std::size_t>(dib.width) * rows, 0);
  for (std::size_t y = 0; y < rows; ++y) {
    // Rows are stored bottom-up.
    const std::uint8_t* colorBits = colors + (rows - 1 - y) * colorRow;
    const std::uint8_t* maskBits = mask + (rows - 1 - y) * maskRow;
    for (int x = 0; x < dib.width; ++x) {
      if (PaletteIndex(maskBits, x, 1) != 0) continue;  // transparent
      const std::uint8_t* bgr = palette + std::ptrdiff_t{4} * PaletteIndex(colorBits, x, dib.bits);
      image->argb[y * static_cast<std::size_t>(dib.width) + static_cast<std::size_t>(x)] =
          0xFF000000u | (static_cast<std::uint32_t>(bgr[2]) << 16) |
          (static_cast<std::uint32_t>(bgr[1]) << 8) | bgr[0];
    }
  }
  return true;
}

}  // namespace

bool DecodeIcon(const std::uint8_t* data, std::size_t size, IconImage* image) {
  if (data == nullptr || size < 6 + 16) return false;
  if (ReadU16(data) != 0 || ReadU16(data + 2) != 1 || ReadU16(data + 4) == 0) return false;
  const std::uint8_t* entry = data + 6;
  const std::size_t length = ReadU32(entry + 8);
  const std::size_t offset = ReadU32(entry + 12);
  if (offset > size || length > size - offset) return false;
  IconDib dib{};
  return ReadDib(data + offset, length, &dib) && DecodeDib(dib, image);
}

bool LoadWindowIcon(IconImage* image) {
  HRSRC found = FindResourceA(nullptr, "ZELF", RT_GROUP_ICON);
  if (found == nullptr) return false;
  const HGLOBAL loaded = LoadResource(nullptr, found);
  const void* bytes = LockResource(loaded);
  const bool decoded = bytes != nullptr && DecodeIcon(static_cast<const std::uint8_t*>(bytes),
                                                      SizeofResource(nullptr, found), image);
  FreeResource(loaded);
  return decoded;
}
