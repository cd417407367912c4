#include "platform/tune_rendering.h"

#include <fluidsynth.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace platform {

namespace {

// The synthesiser advances its sequencer every 64 frames; rendering in steps
// of that size ends the pass within one step of the tune's last event.
constexpr int kStepFrames = 64;
// Samples are written out in blocks of this many frames.
constexpr int kBlockFrames = 64 * kStepFrames;
constexpr int kFrameBytes = 4;  // 16-bit stereo
constexpr std::size_t kWaveHeaderSize = 44;

void PutLittle(std::uint8_t* at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> 8 * i);
}

// The header of a WAV file of `dataBytes` bytes of 16-bit stereo samples.
std::array<std::uint8_t, kWaveHeaderSize> WaveHeader(std::uint32_t dataBytes) {
  std::array<std::uint8_t, kWaveHeaderSize> header{};
  std::uint8_t* h = header.data();
  std::memcpy(h, "RIFF", 4);
  PutLittle(h + 4, 36 + dataBytes, 4);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  PutLittle(h + 16, 16, 4);  // the size of the format chunk
  PutLittle(h + 20, 1, 2);   // integer samples
  PutLittle(h + 22, 2, 2);   // channels
  PutLittle(h + 24, kRenderRate, 4);
  PutLittle(h + 28, kRenderRate * kFrameBytes, 4);
  PutLittle(h + 32, kFrameBytes, 2);
  PutLittle(h + 34, 16, 2);  // bits a sample
  std::memcpy(h + 36, "data", 4);
  PutLittle(h + 40, dataBytes, 4);
  return header;
}

struct FluidDeleter {
  void operator()(fluid_settings_t* p) const { delete_fluid_settings(p); }
  void operator()(fluid_synth_t* p) const { delete_fluid_synth(p); }
  void operator()(fluid_player_t* p) const { delete_fluid_player(p); }
};
template <typename T>
using FluidPtr = std::unique_ptr<T, FluidDeleter>;

}  // namespace

void SilenceSynthesiserLog() {
  for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
    fluid_set_log_function(level, nullptr, nullptr);
  }
}

bool RenderTune(std::span<const std::uint8_t> midi, const std::string& soundFont,
                const std::atomic<bool>& cancel, CachedTuneWriter& out) {
  FluidPtr<fluid_settings_t> settings(new_fluid_settings());
  if (!settings) return false;
  // As the mixer sets the synthesiser up for a tune: the device's rate, the
  // sequencer timed by the samples it renders, and the gain of a tune at full
  // volume (the mixer's 1.2 for its 128).
  fluid_settings_setnum(settings.get(), "synth.sample-rate", kRenderRate);
  fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
  FluidPtr<fluid_synth_t> synth(new_fluid_synth(settings.get()));
  if (!synth || fluid_synth_sfload(synth.get(), soundFont.c_str(), 1) == FLUID_FAILED) {
    return false;
  }
  fluid_synth_set_gain(synth.get(), 1.2f);
  FluidPtr<fluid_player_t> player(new_fluid_player(synth.get()));
  if (!player || fluid_player_add_mem(player.get(), midi.data(), midi.size()) != FLUID_OK ||
      fluid_player_play(player.get()) != FLUID_OK) {
    return false;
  }
  // The header is written again at the end, when the length is known.
  if (!out.Append(WaveHeader(0))) return false;
  constexpr long kLongest = long{kLongestRenderedSeconds} * kRenderRate;
  std::int16_t samples[2 * kStepFrames];
  std::vector<std::uint8_t> block;
  block.reserve(std::size_t{kBlockFrames} * kFrameBytes);
  long frames = 0;
  for (; fluid_player_get_status(player.get()) == FLUID_PLAYER_PLAYING; frames += kStepFrames) {
    if (cancel.load(std::memory_order_relaxed) || frames >= kLongest) return false;
    // The 16-bit samples of the mixer's own playing, dither and all.
    if (fluid_synth_write_s16(synth.get(), kStepFrames, samples, 0, 2, samples, 1, 2) != FLUID_OK) {
      return false;
    }
    for (std::int16_t sample : samples) {
      const auto bits = static_cast<std::uint16_t>(sample);
      block.push_back(static_cast<std::uint8_t>(bits));
      block.push_back(static_cast<std::uint8_t>(bits >> 8));
    }
    if (block.size() == block.capacity()) {
      if (!out.Append(block)) return false;
      block.clear();
    }
  }
  if (frames == 0 || !out.Append(block)) return false;
  return out.Overwrite(0, WaveHeader(static_cast<std::uint32_t>(frames * kFrameBytes)));
}

}  // namespace platform
