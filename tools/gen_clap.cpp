// Writes the pop sound, Clap.wav, into the folder given.
//
//   gen_clap OUTPUT_FOLDER
#include <cstdio>
#include <string>

#include "tools/art/clap_sound.h"
#include "tools/art/wav_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const art::Bytes wav = art::EncodeWav16Mono(art::MakeClap(), art::kClapSampleRate);
  return art::WriteFileBytes(std::string(argv[1]) + "/Clap.wav", wav) ? 0 : 1;
}
