// Where the game's sound goes: the two background tunes and the clap. The music
// library and PlaySoundA speak to the installed host's backend (host.h).
//
// A host without one silently drops every tune and every clap. The SDL host's
// is the SDL2_mixer backend (sdl_mixer_audio.h); tests and the headless host
// install the recording one (recording_audio.h).
#pragma once

#include <cstdint>

namespace platform {

// A loaded tune. Small positive integers; 0 is "no tune" and every operation
// treats it (and any handle it did not hand out, or has freed) as a no-op.
using TuneHandle = std::int32_t;

class AudioBackend {
 public:
  virtual ~AudioBackend() = default;

  // Opens the sound device. False when there is none; everything after that
  // stays harmless and silent.
  [[nodiscard]] virtual bool Open() = 0;
  // Frees every tune and sound and closes the device. Harmless when not open.
  virtual void Close() = 0;

  // Loads a tune from a file; 0 when it cannot be loaded.
  virtual TuneHandle LoadTune(const char* fileName) = 0;
  // Starts a tune from its beginning, in place of whatever tune plays; it
  // repeats until StopTune, another PlayTune or its FreeTune.
  virtual void PlayTune(TuneHandle tune) = 0;
  virtual void StopTune() = 0;
  virtual void FreeTune(TuneHandle tune) = 0;

  // Plays a sound file once and returns at once, cutting off the sound that is
  // still playing. False when nothing could be played.
  virtual bool PlaySound(const char* fileName) = 0;
};

}  // namespace platform
