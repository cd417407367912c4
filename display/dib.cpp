#include "display/dib.h"

#include <limits>

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kColourTableSize = std::size_t{256} * 4;
constexpr std::uint32_t kBiRgb = 0;

std::uint32_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return b[at] | (std::uint32_t{b[at + 1]} << 8);
}

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
  return U16(b, at) | (U16(b, at + 2) << 16);
}

std::int32_t I32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::int32_t>(U32(b, at));
}

bool HasFileHeader(std::span<const std::uint8_t> file) {
  return file.size() >= kFileHeaderSize && file[0] == 'B' && file[1] == 'M';
}

}  // namespace

std::optional<DibSize> ReadDibSize(std::span<const std::uint8_t> file) {
  if (!HasFileHeader(file) || file.size() < kFileHeaderSize + 12) return std::nullopt;
  return DibSize{I32(file, kFileHeaderSize + 4), I32(file, kFileHeaderSize + 8)};
}

std::optional<IndexedBitmap> ParseDib(std::span<const std::uint8_t> file) {
  if (!HasFileHeader(file) || file.size() < kFileHeaderSize + kInfoHeaderSize) return std::nullopt;
  const std::uint64_t pixelsAt = U32(file, 10);
  const std::uint64_t headerSize = U32(file, kFileHeaderSize);
  const std::int32_t width = I32(file, kFileHeaderSize + 4);
  const std::int32_t height = I32(file, kFileHeaderSize + 8);
  const std::uint32_t planes = U16(file, kFileHeaderSize + 12);
  const std::uint32_t bitsPerPixel = U16(file, kFileHeaderSize + 14);
  const std::uint32_t compression = U32(file, kFileHeaderSize + 16);
  const std::uint32_t coloursUsed = U32(file, kFileHeaderSize + 32);

  if (headerSize < kInfoHeaderSize || planes != 1 || bitsPerPixel != 8 || compression != kBiRgb ||
      (coloursUsed != 0 && coloursUsed != 256)) {
    return std::nullopt;
  }
  if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min()) {
    return std::nullopt;
  }
  // The colour table follows the info header and comes before the pixels.
  const std::uint64_t coloursAt = kFileHeaderSize + headerSize;
  if (coloursAt + kColourTableSize > pixelsAt) return std::nullopt;
  // Rows are padded to whole 32-bit words. All of this fits in 64 bits.
  const std::uint64_t rowBytes = (std::uint64_t(width) + 3) / 4 * 4;
  const std::uint64_t rows =
      height > 0 ? std::uint64_t(height) : std::uint64_t(-std::int64_t{height});
  if (pixelsAt > file.size() || rowBytes * rows > file.size() - pixelsAt) return std::nullopt;

  const bool bottomUp = height > 0;
  const std::uint8_t* pixels = file.data() + pixelsAt;
  const auto step = static_cast<std::ptrdiff_t>(rowBytes);
  return IndexedBitmap{
      width,
      static_cast<int>(rows),
      reinterpret_cast<const RGBQUAD*>(file.data() + coloursAt),
      bottomUp ? pixels + (rows - 1) * rowBytes : pixels,
      bottomUp ? -step : step,
  };
}
