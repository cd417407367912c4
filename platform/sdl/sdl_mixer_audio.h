// The game's real sound: tunes from MIDI files and the clap from a WAV file,
// mixed by SDL2_mixer. Whatever fails (no device, no soundfont, a missing or
// damaged file) only means that nothing is heard; the game never notices.
//
// Synthesising a tune costs a core a steady share and the soundfont's tens of
// megabytes, for music that is the same every time. So the game's own tunes
// are rendered when the game is built (shipped_tunes.h), and any other tune
// is rendered once, on a thread of its own, into a cache (tune_cache.h); from
// then on only the rendering is decoded and played. Until its rendering is
// there, a tune plays through the synthesiser as before; it switches at its
// next start. The game's own renderings ship as Ogg Vorbis, and where the
// build can decode them itself (rendering_decoder.h) each is decoded once into
// the cache in the same way, and plays from there from its next start (the
// browser's page decodes them with the browser's own decoder as they come:
// see AwaitRenderings). A build without the synthesiser (MORVEX2_FLUIDSYNTH
// off) plays the renderings alone.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/base/late_files.h"
#include "platform/win32/audio.h"

namespace platform {

// How a late rendering's samples, decoded by the page, stand.
enum class DecodedRendering {
  kComing,   // asked for and not yet decoded
  kWritten,  // kept at the place given, whole
  kFailed,   // nothing decoded or nothing kept; asked for again, it is decoded anew
};

class SdlMixerAudio final : public AudioBackend {
 public:
  // Without arguments the soundfont is found as FindSoundFont says, and the
  // cache is the player's (CacheFolder()), both when the device is first
  // opened. An empty soundfont means silent tunes; an empty cache folder
  // means that every tune is synthesised as it plays.
  SdlMixerAudio();
  SdlMixerAudio(std::string soundFont, std::string cacheFolder);
  ~SdlMixerAudio() override;
  SdlMixerAudio(const SdlMixerAudio&) = delete;
  SdlMixerAudio& operator=(const SdlMixerAudio&) = delete;

  [[nodiscard]] bool Open() override;
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

  // The folder of the renderings made with the game; without it (or with an
  // empty one) every tune is played from the cache or synthesised.
  void UseShippedRenderings(std::string folder);

  // Where the renderings made with the game come after it starts (the
  // page's late files), a tune whose rendering is not there yet asks for it
  // through `ask`, given the path in `folder` where it comes, and waits for it
  // in silence. Where `decode` decodes them (late_renderings.h), an Ogg
  // rendering that has come and passed its check is handed to it, and its
  // tune waits on for the samples, kept in the cache, and plays from them;
  // where none come, from the Ogg rendering. TakeLateRenderings switches every
  // waiting tune whose rendering or samples have come, and starts the one
  // that should be playing: a late tune starts late. One that did not come,
  // or came damaged (it is removed), leaves its tune silent until the tune is
  // next played, when it is asked for again.
  struct LateRenderings {
    std::string folder;
    std::function<LateFile(const std::string& path)> ask;
    // Given the rendering's path and the length of its stream; false when
    // it will not decode it.
    std::function<bool(const std::string& path, std::uint64_t length)> decode = {};
    // Writes the samples into the cache at `cachePath` once they have come.
    std::function<DecodedRendering(const std::string& path, const std::string& cachePath)> take =
        {};
  };
  void AwaitRenderings(LateRenderings late);
  [[nodiscard]] bool AwaitsRenderings() const;
  void TakeLateRenderings();

  // How loud the tunes and the clap are, 0 to 100 percent; muted, nothing is
  // heard. Kept across a Close and Open, and taken up by a device opened later.
  void SetLoudness(bool muted, int volumePercent);

 private:
  // Its tests and the music benchmark wait for the renderings through it
  // (tests/platform/sdl/sdl_mixer_audio_probe.h).
  friend class SdlMixerAudioProbe;
  // Waits until every rendering asked for is written (or has failed); the
  // game never waits for one.
  void FinishRenderings();
  struct Mixer;     // the SDL2_mixer objects, kept out of game code's sight
  struct Deferred;  // what was asked before FinishStart
  struct Tune;
  void PointAtSoundFont() const;
  bool AddTune(TuneHandle handle, std::vector<std::uint8_t> bytes);
  std::optional<std::uint64_t> UseRendering(Tune& tune, const std::string& path) const;
  bool AwaitLateRendering(TuneHandle handle, Tune& tune, std::span<const std::uint8_t> bytes,
                          const std::string& soundFont);
  void TakeLateRendering(TuneHandle handle, Tune& tune) const;
  bool LateRenderingCame(Tune& tune) const;
  [[nodiscard]] bool DecodeLate(const Tune& tune, std::uint64_t length) const;
  void ApplyLoudness() const;

  std::optional<std::string> soundFont_;
  std::optional<std::string> cacheFolder_;
  std::string shippedFolder_;
  LateRenderings late_;
  std::unique_ptr<Mixer> mixer_;        // null while the device is closed
  std::unique_ptr<Deferred> deferred_;  // null unless the start is put off
  // Handles are never reused, not even across a Close and Open, so that a
  // stale handle can only ever mean "no tune".
  TuneHandle lastTuneHandle_ = 0;
  bool muted_ = false;
  int volumePercent_ = 100;
};

}  // namespace platform
