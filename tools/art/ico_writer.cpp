#include "tools/art/ico_writer.h"

namespace art {

Bytes EncodeIcon16(const IndexedImage& image, const std::vector<bool>& transparent) {
  const int w = image.width;
  const int h = image.height;
  const std::uint32_t xorStride = ((static_cast<std::uint32_t>(w) * 4 + 31) / 32) * 4;
  const std::uint32_t andStride = ((static_cast<std::uint32_t>(w) + 31) / 32) * 4;
  const std::uint32_t imageBytes = (xorStride + andStride) * static_cast<std::uint32_t>(h);
  const std::uint32_t resourceBytes = 40 + 16 * 4 + imageBytes;

  Bytes out;
  PutU16(out, 0);  // reserved
  PutU16(out, 1);  // an icon
  PutU16(out, 1);  // one image
  PutU8(out, static_cast<unsigned>(w));
  PutU8(out, static_cast<unsigned>(h));
  PutU8(out, 16);  // colours
  PutU8(out, 0);
  PutU16(out, 1);  // planes
  PutU16(out, 4);  // bits per pixel
  PutU32(out, resourceBytes);
  PutU32(out, 6 + 16);  // the image follows the one directory entry

  PutU32(out, 40);
  PutI32(out, w);
  PutI32(out, 2 * h);  // the colour image and the mask, stacked
  PutU16(out, 1);
  PutU16(out, 4);
  PutU32(out, 0);
  PutU32(out, imageBytes);
  PutU32(out, 0);
  PutU32(out, 0);
  PutU32(out, 16);
  PutU32(out, 0);
  for (int i = 0; i < 16; ++i) {
    PutU8(out, image.palette[i].b);
    PutU8(out, image.palette[i].g);
    PutU8(out, image.palette[i].r);
    PutU8(out, 0);
  }
  for (int y = h - 1; y >= 0; --y) {
    Bytes row(xorStride, 0);
    for (int x = 0; x < w; ++x) {
      const unsigned index = image.pixels[static_cast<size_t>(y) * w + x] & 0x0F;
      row[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  for (int y = h - 1; y >= 0; --y) {
    Bytes row(andStride, 0);
    for (int x = 0; x < w; ++x) {
      if (transparent[static_cast<size_t>(y) * w + x]) {
        row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace art
