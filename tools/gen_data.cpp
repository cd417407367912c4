// Writes the files installed into the game's working folder on first run:
// the three empty high-score tables and the settings file with the default
// player name.
//
//   gen_data OUTPUT_FOLDER
#include <cstdio>
#include <string>

#include "tools/art/byte_writer.h"

namespace {

// Ten records stored field by field: names 10 x 16, dates 10 x 29, scores
// 10 x 9, counts 10 x 5. Every byte is kept 0x20 below its text byte, so an
// empty text (a NUL) is stored as 0xE0.
constexpr size_t kScoreFileBytes = 10 * (16 + 29 + 9 + 5);
constexpr unsigned char kStoredNul = 0xE0;

// The name is read as the first 16 bytes of the file, NUL-padded.
constexpr size_t kNameBytes = 16;
constexpr const char* kDefaultName = "PLAYER";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const art::Bytes emptyTable(kScoreFileBytes, kStoredNul);
  for (const char* name : {"zyou.pod", "tyuu.pod", "syo.pod"}) {
    if (!art::WriteFileBytes(folder + "/" + name, emptyTable)) return 1;
  }
  art::Bytes settings;
  art::PutText(settings, kDefaultName);
  settings.resize(kNameBytes, 0);
  return art::WriteFileBytes(folder + "/zel.ini", settings) ? 0 : 1;
}
