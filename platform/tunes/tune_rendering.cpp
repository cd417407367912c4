#include "platform/tunes/tune_rendering.h"

#include <fluidsynth.h>

#include <memory>
#include <optional>
#include <vector>

#include "formats/wave_header.h"

namespace platform {

namespace {

// The synthesiser advances its sequencer every 64 frames; rendering in steps
// of that size ends the pass within one step of the tune's last event.
constexpr int kStepFrames = 64;
// Samples are written out in blocks of this many frames.
constexpr int kBlockFrames = 64 * kStepFrames;
constexpr int kFrameBytes = 4;  // 16-bit stereo

struct FluidDeleter {
  void operator()(fluid_settings_t* p) const { delete_fluid_settings(p); }
  void operator()(fluid_synth_t* p) const { delete_fluid_synth(p); }
  void operator()(fluid_player_t* p) const { delete_fluid_player(p); }
};
template <typename T>
using FluidPtr = std::unique_ptr<T, FluidDeleter>;

// The synthesiser set up as the mixer sets it up for a tune, playing it: the
// device's rate, the sequencer timed by the samples it renders, and the gain
// of a tune at full volume (the mixer's 1.2 for its 128).
struct Synthesiser {
  FluidPtr<fluid_settings_t> settings;
  FluidPtr<fluid_synth_t> synth;
  FluidPtr<fluid_player_t> player;
};

std::optional<Synthesiser> StartSynthesiser(std::span<const std::uint8_t> midi,
                                            const std::string& soundFont) {
  Synthesiser s;
  s.settings.reset(new_fluid_settings());
  if (!s.settings) return std::nullopt;
  fluid_settings_setnum(s.settings.get(), "synth.sample-rate", kRenderRate);
  fluid_settings_setstr(s.settings.get(), "player.timing-source", "sample");
  s.synth.reset(new_fluid_synth(s.settings.get()));
  if (!s.synth || fluid_synth_sfload(s.synth.get(), soundFont.c_str(), 1) == FLUID_FAILED) {
    return std::nullopt;
  }
  fluid_synth_set_gain(s.synth.get(), 1.2f);
  s.player.reset(new_fluid_player(s.synth.get()));
  if (!s.player || fluid_player_add_mem(s.player.get(), midi.data(), midi.size()) != FLUID_OK ||
      fluid_player_play(s.player.get()) != FLUID_OK) {
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

void SilenceSynthesiserLog() {
  for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
    fluid_set_log_function(level, nullptr, nullptr);
  }
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
  for (; fluid_player_get_status(s->player.get()) == FLUID_PLAYER_PLAYING; frames += kStepFrames) {
    if (cancel.load(std::memory_order_relaxed) || frames >= kLongest) return false;
    // The 16-bit samples of the mixer's own playing, dither and all.
    if (fluid_synth_write_s16(s->synth.get(), kStepFrames, samples, 0, 2, samples, 1, 2) !=
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
