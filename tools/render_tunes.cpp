// Renders the game's tunes at build time, with the soundfont the game itself
// would find here, so that the game plays them from these renderings and
// never synthesises them while a player waits.
//
//   render_tunes FOLDER TUNE.mid...
//
// Each rendering goes into FOLDER under the name the game looks for (that of
// the cache: a digest of the tune's bytes and of the soundfont's identity),
// written by the very code that renders into the cache; FOLDER also keeps the
// soundfont's identity. A rendering already there and whole is kept, and any
// other rendering in FOLDER is removed, so the folder holds exactly the
// renderings of these tunes. Fails when there is no soundfont or a tune
// cannot be rendered.
#include <atomic>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <set>
#include <string>

#include "formats/midi_file_check.h"
#include "platform/base/whole_file.h"
#include "platform/tunes/shipped_tunes.h"
#include "platform/tunes/sound_font.h"
#include "platform/tunes/tune_cache.h"
#include "platform/tunes/tune_rendering.h"

namespace {

bool Fail(const std::string& what) {
  std::cerr << "render_tunes: " << what << '\n';
  return false;
}

// Renders `tune` into `folder` unless a whole rendering of it is there; the
// rendering's path goes into `kept`.
bool Render(const std::string& tune, const std::string& folder, const std::string& soundFont,
            const std::string& identity, std::set<std::string>& kept) {
  const auto bytes = platform::ReadSmallFile(tune, formats::kLargestTuneFile);
  if (!bytes) return Fail("cannot read " + tune + ": " + std::strerror(errno));
  if (!formats::IsPlayableMidi(*bytes)) return Fail(tune + " is no tune the game plays");
  const std::string path = platform::TuneCachePath(folder, *bytes, identity);
  kept.insert(path);
  // A whole rendering already there is kept; the file closes itself.
  if (platform::OpenCachedTune(path)) return true;
  const std::atomic<bool> never{false};
  platform::CachedTuneWriter rendering(path);
  if (!platform::RenderTune(*bytes, soundFont, never, rendering) || !rendering.Finish()) {
    return Fail("cannot render " + tune + " into " + path);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: render_tunes FOLDER TUNE.mid...\n";
    return 2;
  }
  const std::string folder = argv[1];
  const std::string soundFont = platform::FindSoundFont();
  const std::string identity = platform::SoundFontIdentity(soundFont);
  if (identity.empty()) {
    Fail("no General MIDI soundfont (Debian package timgm6mb-soundfont)");
    return 1;
  }
  std::set<std::string> kept;
  for (int i = 2; i < argc; ++i) {
    if (!Render(argv[i], folder, soundFont, identity, kept)) return 1;
  }
  platform::RemoveOtherRenderings(folder, kept);
  if (!platform::KeepShippedSoundFont(folder, identity)) {
    Fail("cannot write in " + folder + ": " + std::strerror(errno));
    return 1;
  }
  return 0;
}
