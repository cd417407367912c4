// Paints the window's icon, "ZELF", 32 x 32 in 16 colours, and writes it as
// OUTPUT_FOLDER/ZELF.ico.
//
//   gen_icon OUTPUT_FOLDER
#include <cstdio>
#include <string>
#include <vector>

#include "tools/art/app_icon.h"
#include "tools/art/canvas.h"
#include "tools/art/ico_writer.h"
#include "tools/art/quantizer.h"

namespace {

constexpr int kSize = 32;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const art::Canvas painted = art::PaintAppIcon(kSize);
  // Half-covered edge pixels are shown over a mid-grey, so that the icon
  // looks tidy on light and dark desktops alike.
  art::Canvas flat(kSize, kSize, art::Rgb{});
  art::QuantizeOptions options;
  options.size = 16;
  options.reserved.push_back({{0, 0, 0}, false});
  options.forced.assign(kSize * kSize, -1);
  std::vector<bool> transparent(kSize * kSize, false);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const double a = painted.alpha(x, y);
      if (a < 0.4) {
        options.forced[y * kSize + x] = 0;
        transparent[y * kSize + x] = true;
      } else {
        flat.Set(x, y, art::Mix(art::Hex(0x707070), painted.colour(x, y), a));
      }
    }
  }
  const std::string path = std::string(argv[1]) + "/ZELF.ico";
  return art::WriteFileBytes(path, art::EncodeIcon16(art::Quantize(flat, options), transparent))
             ? 0
             : 1;
}
