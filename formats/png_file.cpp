// PNG through zlib alone, the same on every system: the frames, goldens and
// icons the game and its tests write and read are 8-bit RGB or RGBA without
// interlacing, and that is all this reads; it writes the same, each row
// unfiltered.
#include "formats/png_file.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace formats {

namespace {

// A frame never comes near this; a file that claims more is not ours.
constexpr std::uint32_t kLargestSide = 8192;
constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kColourRgb = 2;
constexpr std::uint8_t kColourRgba = 6;

using Bytes = std::vector<std::uint8_t>;

void PutU32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t U32At(const std::uint8_t* at) {
  return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) | (std::uint32_t{at[2]} << 8) |
         at[3];
}

void PutChunk(Bytes& out, const char* type, const Bytes& data) {
  PutU32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutU32(out, static_cast<std::uint32_t>(
                  ::crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

std::uint8_t Paeth(int left, int up, int upLeft) {
  const int estimate = left + up - upLeft;
  const int toLeft = std::abs(estimate - left);
  const int toUp = std::abs(estimate - up);
  const int toUpLeft = std::abs(estimate - upLeft);
  if (toLeft <= toUp && toLeft <= toUpLeft) return static_cast<std::uint8_t>(left);
  return static_cast<std::uint8_t>(toUp <= toUpLeft ? up : upLeft);
}

// What a row's filter adds back to a byte, from the bytes before and above it.
int Prediction(std::uint8_t filter, int left, int up, int upLeft) {
  switch (filter) {
    case 1:
      return left;
    case 2:
      return up;
    case 3:
      return (left + up) / 2;
    case 4:
      return Paeth(left, up, upLeft);
    default:
      return 0;
  }
}

// One row in place, after its filter byte; `above` is null for the top row.
void UnfilterRow(std::uint8_t* row, const std::uint8_t* above, std::size_t rowBytes,
                 std::size_t channels) {
  const std::uint8_t filter = row[0];
  for (std::size_t x = 1; x <= rowBytes; ++x) {
    const int left = x > channels ? row[x - channels] : 0;
    const int up = above != nullptr ? above[x] : 0;
    const int upLeft = above != nullptr && x > channels ? above[x - channels] : 0;
    row[x] = static_cast<std::uint8_t>(row[x] + Prediction(filter, left, up, upLeft));
  }
}

// Undoes the filter of each row in place; false for an unknown filter.
bool Unfilter(Bytes& rows, std::size_t rowBytes, std::size_t height, std::size_t channels) {
  for (std::size_t y = 0; y < height; ++y) {
    std::uint8_t* row = rows.data() + y * (rowBytes + 1);
    if (row[0] > 4) return false;
    UnfilterRow(row, y == 0 ? nullptr : row - (rowBytes + 1), rowBytes, channels);
  }
  return true;
}

// What the chunks of a file say: the picture's size and channels (0 when its
// header is missing or not one this reads), and its packed rows.
struct Chunks {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::size_t channels = 0;
  Bytes packed;
};

// The header's fields; false for a picture that is not 8-bit RGB(A) without
// interlacing.
bool ReadHeader(const std::uint8_t* data, Chunks& chunks) {
  chunks.width = U32At(data);
  chunks.height = U32At(data + 4);
  const bool plain = data[8] == 8 && (data[9] == kColourRgb || data[9] == kColourRgba) &&
                     data[10] == 0 && data[11] == 0 && data[12] == 0;
  chunks.channels = !plain ? 0 : data[9] == kColourRgb ? 3 : 4;
  return plain;
}

// Walks the chunks after the signature; a chunk that claims more bytes than
// the file holds ends the walk.
std::optional<Chunks> ReadChunks(std::span<const std::uint8_t> file, std::string& why) {
  Chunks chunks;
  for (std::size_t at = kSignature.size(); at + 12 <= file.size();) {
    const std::uint32_t size = U32At(&file[at]);
    if (size > file.size() - at - 12) break;
    const std::string type(reinterpret_cast<const char*>(&file[at + 4]), 4);
    const std::uint8_t* data = &file[at + 8];
    if (type == "IHDR" && size >= 13 && !ReadHeader(data, chunks)) {
      why = "not 8-bit RGB without interlacing";
      return std::nullopt;
    }
    if (type == "IDAT") chunks.packed.insert(chunks.packed.end(), data, data + size);
    if (type == "IEND") break;
    at += std::size_t{size} + 12;
  }
  return chunks;
}

// The red, green and blue of unfiltered rows.
RgbImage ToRgb(const Bytes& rows, const Chunks& chunks) {
  const std::size_t rowBytes = std::size_t{chunks.width} * chunks.channels;
  RgbImage image;
  image.width = static_cast<int>(chunks.width);
  image.height = static_cast<int>(chunks.height);
  image.pixels.reserve(std::size_t{chunks.width} * chunks.height * 3);
  for (std::size_t y = 0; y < chunks.height; ++y) {
    const std::uint8_t* row = rows.data() + y * (rowBytes + 1) + 1;
    for (std::size_t x = 0; x < chunks.width; ++x) {
      const std::uint8_t* pixel = row + x * chunks.channels;
      image.pixels.insert(image.pixels.end(), pixel, pixel + 3);
    }
  }
  return image;
}

}  // namespace

std::optional<RgbImage> DecodePng(std::span<const std::uint8_t> file, std::string* why) {
  if (file.size() < kSignature.size() ||
      !std::equal(kSignature.begin(), kSignature.end(), file.begin())) {
    *why = "not a PNG file";
    return std::nullopt;
  }
  const std::optional<Chunks> chunks = ReadChunks(file, *why);
  if (!chunks) return std::nullopt;
  if (chunks->channels == 0 || chunks->width == 0 || chunks->height == 0 ||
      chunks->width > kLargestSide || chunks->height > kLargestSide) {
    *why = "no picture, or one larger than any frame";
    return std::nullopt;
  }
  const std::size_t rowBytes = std::size_t{chunks->width} * chunks->channels;
  Bytes rows((rowBytes + 1) * chunks->height);
  auto unpackedSize = static_cast<uLongf>(rows.size());
  if (::uncompress(rows.data(), &unpackedSize, chunks->packed.data(),
                   static_cast<uLong>(chunks->packed.size())) != Z_OK ||
      unpackedSize != rows.size() || !Unfilter(rows, rowBytes, chunks->height, chunks->channels)) {
    *why = "damaged picture data";
    return std::nullopt;
  }
  return ToRgb(rows, *chunks);
}

std::optional<std::vector<std::uint8_t>> EncodePng(int width, int height, PngPixels format,
                                                   std::span<const std::uint8_t> pixels) {
  if (!PixelsFillPicture(width, height, format, pixels)) return std::nullopt;
  const auto channels = static_cast<std::size_t>(format);
  const std::size_t rowBytes = static_cast<std::size_t>(width) * channels;
  Bytes rows;
  rows.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
  for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
    rows.push_back(0);
    rows.insert(rows.end(), pixels.begin() + static_cast<std::ptrdiff_t>(y * rowBytes),
                pixels.begin() + static_cast<std::ptrdiff_t>((y + 1) * rowBytes));
  }
  Bytes packed(::compressBound(static_cast<uLong>(rows.size())));
  auto packedSize = static_cast<uLongf>(packed.size());
  if (::compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), 6) !=
      Z_OK) {
    return std::nullopt;
  }
  packed.resize(packedSize);
  Bytes header;
  PutU32(header, static_cast<std::uint32_t>(width));
  PutU32(header, static_cast<std::uint32_t>(height));
  const std::uint8_t colour = format == PngPixels::kRgb ? kColourRgb : kColourRgba;
  header.insert(header.end(), {8, colour, 0, 0, 0});
  Bytes file(kSignature.begin(), kSignature.end());
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", packed);
  PutChunk(file, "IEND", {});
  return file;
}

}  // namespace formats
