// Writes the game's two tunes as Standard MIDI Files into the folder given:
// music2.mid (title screen) and music1.mid (play screen).
//
//   gen_music OUTPUT_FOLDER
#include <cstdio>
#include <string>

#include "tools/art/tunes.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const auto title = art::ComposeTitleTune();
  const auto play = art::ComposePlayTune();
  if (!title || !play) return 1;
  return art::WriteFileBytes(folder + "/music2.mid", *title) &&
                 art::WriteFileBytes(folder + "/music1.mid", *play)
             ? 0
             : 1;
}
