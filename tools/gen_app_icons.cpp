// Paints the game's icon for desktop menus at each size a desktop asks for,
// the same picture as the window icon "ZELF" in full colour, and writes them
// as OUTPUT_FOLDER/morvex2-SIZE.png.
//
//   gen_app_icons OUTPUT_FOLDER
#include <cstdio>
#include <string>

#include "tools/art/app_icon.h"
#include "tools/art/png_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  for (int size : {16, 32, 48, 64, 128, 256}) {
    const auto png = art::EncodePngRgba(art::PaintAppIcon(size));
    const std::string path = std::string(argv[1]) + "/morvex2-" + std::to_string(size) + ".png";
    if (!png || !art::WriteFileBytes(path, *png)) return 1;
  }
  return 0;
}
