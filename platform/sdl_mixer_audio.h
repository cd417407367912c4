// The game's real sound: tunes from MIDI files and the clap from a WAV file,
// mixed by SDL2_mixer. Whatever fails (no device, no soundfont, a missing or
// damaged file) only means that nothing is heard; the game never notices.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

  // Opening the device and reading the soundfont for each tune take tens of
  // milliseconds, more than drawing the game's first frame. After DeferStart,
  // Open, LoadTune and PlayTune only note what is asked (a tune file is still
  // read and checked, and gets its handle at once) until FinishStart does the
  // work and starts the tune that should be playing; from then on every call
  // goes straight through again. While deferred, Open cannot know whether a
  // device will open and says yes; a device that then fails leaves every tune
  // silent, as a failed Open does.
  void DeferStart();
  void FinishStart();

 private:
  struct Mixer;     // the SDL2_mixer objects, kept out of game code's sight
  struct Deferred;  // what was asked before FinishStart
  void PointAtSoundFont() const;
  bool AddTune(TuneHandle handle, std::vector<std::uint8_t> bytes);

  std::string soundFont_;
  std::unique_ptr<Mixer> mixer_;        // null while the device is closed
  std::unique_ptr<Deferred> deferred_;  // null unless the start is put off
  // Handles are never reused, not even across a Close and Open, so that a
  // stale handle can only ever mean "no tune".
  TuneHandle lastTuneHandle_ = 0;
};

}  // namespace platform
