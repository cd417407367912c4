// Paints the window's icon, "ZELF": a red balloon with a blue pin about to
// meet it, 32 x 32 in 16 colours, and writes it as OUTPUT_FOLDER/ZELF.ico.
//
//   gen_icon OUTPUT_FOLDER
#include <cstdio>
#include <string>
#include <vector>

#include "tools/art/canvas.h"
#include "tools/art/det_math.h"
#include "tools/art/ico_writer.h"
#include "tools/art/piece_painter.h"
#include "tools/art/quantizer.h"
#include "tools/art/sheet_colours.h"

namespace {

constexpr int kSize = 32;

art::Canvas PaintIcon() {
  art::Canvas canvas(kSize, kSize, art::Rgb{}, 0.0);
  art::PaintBalloon(canvas, art::kPieceColours[0], {-1.0, 0.0, 0.85});
  // The pin comes in from the upper right, pointing down-left at the balloon.
  art::PaintPin(canvas, art::kPieceColours[2], 45.0 * art::kPi / 180.0, false, {12.0, -1.0, 0.52});
  return canvas;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const art::Canvas painted = PaintIcon();
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
