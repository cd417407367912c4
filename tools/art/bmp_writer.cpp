#include "tools/art/bmp_writer.h"

namespace art {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPaletteSize = 256 * 4;
constexpr std::int32_t kPixelsPerMetre = 2835;  // 72 dots per inch

}  // namespace

Bytes EncodeBmp8(const IndexedImage& image) {
  const std::uint32_t stride = (static_cast<std::uint32_t>(image.width) + 3) & ~3u;
  const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(image.height);
  const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize + kPaletteSize;

  Bytes out;
  out.reserve(offset + pixelBytes);
  PutText(out, "BM");
  PutU32(out, offset + pixelBytes);
  PutU32(out, 0);  // two reserved words
  PutU32(out, offset);

  PutU32(out, kInfoHeaderSize);
  PutI32(out, image.width);
  PutI32(out, image.height);  // positive: bottom-up rows
  PutU16(out, 1);             // planes
  PutU16(out, 8);             // bits per pixel
  PutU32(out, 0);             // BI_RGB, uncompressed
  PutU32(out, pixelBytes);
  PutI32(out, kPixelsPerMetre);
  PutI32(out, kPixelsPerMetre);
  PutU32(out, 256);  // colours used
  PutU32(out, 0);    // all colours important

  for (const Rgb8& c : image.palette) {
    PutU8(out, c.b);
    PutU8(out, c.g);
    PutU8(out, c.r);
    PutU8(out, 0);
  }
  for (int y = image.height - 1; y >= 0; --y) {
    const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width;
    out.insert(out.end(), row, row + image.width);
    for (std::uint32_t pad = static_cast<std::uint32_t>(image.width); pad < stride; ++pad)
      PutU8(out, 0);
  }
  return out;
}

}  // namespace art
