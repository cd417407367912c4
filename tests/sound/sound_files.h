// Small, valid sound files written by the tests themselves, and a scratch
// folder to keep them in, so that the tests need none of the game's data.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace sound_test {

using Bytes = std::vector<std::uint8_t>;

// A one-track MIDI file: an organ chord held for `heldMs` from the start, and
// the end of the track at `lengthMs` (times in steps of about 5 ms).
Bytes ChordMidi(int heldMs, int lengthMs);

// A 16-bit stereo PCM WAV at 44,100 Hz: a square wave of the given amplitude.
Bytes SquareWav(int milliseconds, std::int16_t amplitude);

// A fresh empty folder, removed with everything in it when this goes away.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Writes the bytes to a file of that name in the folder; returns its path.
  std::string Write(const std::string& name, const Bytes& bytes) const;
  std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace sound_test
