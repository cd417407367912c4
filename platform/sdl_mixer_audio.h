// The game's real sound: tunes from MIDI files and the clap from a WAV file,
// mixed by SDL2_mixer. Whatever fails (no device, no soundfont, a missing or
// damaged file) only means that nothing is heard; the game never notices.
#pragma once

#include <memory>
#include <string>

#include "platform/audio.h"

namespace platform {

class SdlMixerAudio final : public AudioBackend {
 public:
  // The General MIDI soundfont that the set-up installs.
  static constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf3/default-GM.sf3";

  explicit SdlMixerAudio(std::string soundFont = kDefaultSoundFont);
  ~SdlMixerAudio() override;
  SdlMixerAudio(const SdlMixerAudio&) = delete;
  SdlMixerAudio& operator=(const SdlMixerAudio&) = delete;

  bool Open() override;
  void Close() override;
  TuneHandle LoadTune(const char* fileName) override;
  void PlayTune(TuneHandle tune) override;
  void StopTune() override;
  void FreeTune(TuneHandle tune) override;
  bool PlaySound(const char* fileName) override;

 private:
  struct Mixer;  // the SDL2_mixer objects, kept out of game code's sight
  void PointAtSoundFont() const;

  std::string soundFont_;
  std::unique_ptr<Mixer> mixer_;  // null while the device is closed
  // Handles are never reused, not even across a Close and Open, so that a
  // stale handle can only ever mean "no tune".
  TuneHandle lastTuneHandle_ = 0;
};

}  // namespace platform
