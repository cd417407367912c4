#include "platform/tunes/tune_rendering.h"

#include <memory>
#include <optional>
#include <vector>

#include "formats/wave_header.h"
#include "platform/base/log.h"
#include "platform/tunes/fluidsynth_library.h"

namespace platform {

namespace {

// The synthesiser advances its sequencer every 64 frames; rendering in steps
// of that size ends the pass within one step of the tune's last event.
constexpr int kStepFrames = 64;
// Samples are written out in blocks of this many frames.
constexpr int kBlockFrames = 64 * kStepFrames;
constexpr int kFrameBytes = 4;  // 16-bit stereo

struct FluidDeleter {
  const FluidSynthLibrary* fluid;
  void operator()(fluid_settings_t* p) const { fluid->deleteSettings(p); }
  void operator()(fluid_synth_t* p) const { fluid->deleteSynth(p); }
  void operator()(fluid_player_t* p) const { fluid->deletePlayer(p); }
};
template <typename T>
using FluidPtr = std::unique_ptr<T, FluidDeleter>;

// The synthesiser set up as the mixer sets it up for a tune, playing it: the
// device's rate, the sequencer timed by the samples it renders, and the gain
// of a tune at full volume (the mixer's 1.2 for its 128).
struct Synthesiser {
  const FluidSynthLibrary* fluid;
  FluidPtr<fluid_settings_t> settings;
  FluidPtr<fluid_synth_t> synth;
  FluidPtr<fluid_player_t> player;
};

const FluidSynthLibrary* SynthesiserLibrary(std::string* why) {
  return LoadFluidSynth(kFluidSynthLibraryName, why);
}

// Nothing when the synthesiser is not installed.
std::optional<Synthesiser> StartSynthesiser(std::span<const std::uint8_t> midi,
                                            const std::string& soundFont) {
  std::string why;
  const FluidSynthLibrary* library = SynthesiserLibrary(&why);
  if (library == nullptr) return std::nullopt;
  const FluidSynthLibrary& fluid = *library;
  const FluidDeleter deleter{&fluid};
  Synthesiser s{.fluid = &fluid,
                .settings = FluidPtr<fluid_settings_t>(fluid.newSettings(), deleter),
                .synth = FluidPtr<fluid_synth_t>(nullptr, deleter),
                .player = FluidPtr<fluid_player_t>(nullptr, deleter)};
  if (!s.settings) return std::nullopt;
  fluid.settingsSetnum(s.settings.get(), "synth.sample-rate", kRenderRate);
  fluid.settingsSetstr(s.settings.get(), "player.timing-source", "sample");
  s.synth.reset(fluid.newSynth(s.settings.get()));
  if (!s.synth || fluid.synthSfload(s.synth.get(), soundFont.c_str(), 1) == FLUID_FAILED) {
    return std::nullopt;
  }
  fluid.synthSetGain(s.synth.get(), 1.2f);
  s.player.reset(fluid.newPlayer(s.synth.get()));
  if (!s.player || fluid.playerAddMem(s.player.get(), midi.data(), midi.size()) != FLUID_OK ||
      fluid.playerPlay(s.player.get()) != FLUID_OK) {
    return std::nullopt;
  }
  return s;
}

void AppendSamples(std::vector<std::uint8_t>& block, std::span<const std::int16_t> samples) {
  for (std::int16_t sample : samples) {
    const auto bits = static_cast<std::uint16_t>(sample);
    block.push_back(static_cast<std::uint8_t>(bits));
    block.push_back(static_cast<std::uint8_t>(bits >> 8));
  }
}

}  // namespace

bool SynthesiserReady() {
  std::string why;
  if (SynthesiserLibrary(&why) != nullptr) return true;
  LogError("loading the synthesiser for the player's tunes", why, Repeats::kLogOnce);
  return false;
}

bool RenderTune(std::span<const std::uint8_t> midi, const std::string& soundFont,
                const std::atomic<bool>& cancel, CachedTuneWriter& out) {
  const std::optional<Synthesiser> s = StartSynthesiser(midi, soundFont);
  // The header is written again at the end, when the length is known.
  if (!s || !out.Append(formats::WaveHeader(2, kRenderRate, 0))) return false;
  constexpr long kLongest = long{kLongestRenderedSeconds} * kRenderRate;
  std::int16_t samples[2 * kStepFrames];
  std::vector<std::uint8_t> block;
  block.reserve(std::size_t{kBlockFrames} * kFrameBytes);
  long frames = 0;
  const FluidSynthLibrary& fluid = *s->fluid;
  for (; fluid.playerGetStatus(s->player.get()) == FLUID_PLAYER_PLAYING; frames += kStepFrames) {
    if (cancel.load(std::memory_order_relaxed) || frames >= kLongest) return false;
    // The 16-bit samples of the mixer's own playing, dither and all.
    if (fluid.synthWriteS16(s->synth.get(), kStepFrames, samples, 0, 2, samples, 1, 2) !=
        FLUID_OK) {
      return false;
    }
    AppendSamples(block, samples);
    if (block.size() == block.capacity()) {
      if (!out.Append(block)) return false;
      block.clear();
    }
  }
  if (frames == 0 || !out.Append(block)) return false;
  return out.Overwrite(
      0, formats::WaveHeader(2, kRenderRate, static_cast<std::uint32_t>(frames * kFrameBytes)));
}

}  // namespace platform
