// Paints the game's icon for desktop menus at each size a desktop asks for
// (or at the sizes given: the browser's page asks for 192 and 512), the same
// picture as the window icon "ZELF" in full colour, and writes them as
// OUTPUT_FOLDER/morvex2-SIZE.png.
//
//   gen_app_icons OUTPUT_FOLDER [SIZE...]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/png_file.h"
#include "tools/art/app_icon.h"
#include "tools/art/byte_writer.h"

namespace {

// Colours are painted on 0..255, coverage on 0..1.
std::uint8_t Byte(double value) {
  const double clamped = value < 0.0 ? 0.0 : (value > 255.0 ? 255.0 : value);
  return static_cast<std::uint8_t>(std::lround(clamped));
}

// The picture with its coverage, as 8-bit RGBA rows.
art::Bytes RgbaPixels(const art::Canvas& canvas) {
  art::Bytes pixels;
  pixels.reserve(static_cast<std::size_t>(canvas.width()) * canvas.height() * 4);
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      const art::Rgb c = canvas.colour(x, y);
      const double a = canvas.alpha(x, y);
      // Nothing of a colour where nothing covers the pixel: the file stays
      // the same whatever was painted under a see-through edge.
      pixels.push_back(a > 0.0 ? Byte(c.r) : 0);
      pixels.push_back(a > 0.0 ? Byte(c.g) : 0);
      pixels.push_back(a > 0.0 ? Byte(c.b) : 0);
      pixels.push_back(Byte(a * 255.0));
    }
  }
  return pixels;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  bool understood = argc >= 2;
  for (int i = 2; i < argc; ++i) {
    char* end = nullptr;
    const long size = std::strtol(argv[i], &end, 10);
    understood = understood && *end == '\0' && size >= 16 && size <= 1024;
    sizes.push_back(static_cast<int>(size));
  }
  if (!understood) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [SIZE...]   (SIZE 16 to 1024)\n", argv[0]);
    return 2;
  }
  if (sizes.empty()) sizes = {16, 32, 48, 64, 128, 256};
  for (int size : sizes) {
    const art::Canvas icon = art::PaintAppIcon(size);
    const auto png = formats::EncodePng(icon.width(), icon.height(), formats::PngPixels::kRgba,
                                        RgbaPixels(icon));
    const std::string path = std::string(argv[1]) + "/morvex2-" + std::to_string(size) + ".png";
    if (!png || !art::WriteFileBytes(path, *png)) return 1;
  }
  return 0;
}
