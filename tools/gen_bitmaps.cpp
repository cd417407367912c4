// Paints the six pictures the game carries and writes them as 8-bit BMP files
// into the folder given, under their resource names.
//
//   gen_bitmaps OUTPUT_FOLDER [NAME]   (NAME: only that picture, while painting)
#include <cstdio>
#include <string>

#include "tools/art/bmp_writer.h"
#include "tools/art/pictures.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [NAME]\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const auto font = art::PixelFont::Load(art::kFontPath, art::kLetteredCharacters);
  if (!font) {
    std::fprintf(stderr, "cannot read the glyphs from %s\n", art::kFontPath);
    return 1;
  }
  struct Picture {
    const char* name;
    art::IndexedImage (*make)(const art::PixelFont&);
  };
  const Picture pictures[] = {
      {"FHSPRITE", [](const art::PixelFont&) { return art::MakeTileSheet(); }},
      {"FHMARKS", [](const art::PixelFont&) { return art::MakeMarkedTileSheet(); }},
      {"BOPENING", art::MakeTitlePicture},
      {"BRANK", art::MakeRankingPicture},
      {"BCRI", [](const art::PixelFont&) { return art::MakeNightBackground(); }},
      {"BGIYA", [](const art::PixelFont&) { return art::MakeSunsetBackground(); }},
      {"BFUNE", [](const art::PixelFont&) { return art::MakeSeaBackground(); }},
  };
  const std::string only = argc > 2 ? argv[2] : "";
  for (const Picture& p : pictures) {
    if (!only.empty() && only != p.name) continue;
    const std::string path = folder + "/" + p.name + ".bmp";
    if (!art::WriteFileBytes(path, art::EncodeBmp8(p.make(*font)))) return 1;
  }
  return 0;
}
