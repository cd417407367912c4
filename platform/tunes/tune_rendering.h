// Plays a tune once through the General MIDI synthesiser, as fast as the
// machine allows, and keeps the result as a plain WAV file: the same
// synthesiser, settings and 16-bit samples that the mixer plays a tune with,
// so what is heard from the rendering is what the tune sounds like live.
// Plain samples, not a compressed stream: decoding one costs the game as
// much CPU as everything else on the title screen, and disk space is cheap.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

#include "platform/tunes/tune_cache.h"

namespace platform {

inline constexpr int kRenderRate = 44100;

// One pass of the tune, from its first tick to its last event, as a WAV file
// of 16-bit stereo samples at kRenderRate, written to `out` as it is
// synthesised. Always the same bytes for the same tune and soundfont. False
// when the synthesiser is not installed or cannot take the tune or the soundfont, the tune is too
// long, writing fails, or `cancel` becomes true; `out` is then not finished.
[[nodiscard]] bool RenderTune(std::span<const std::uint8_t> midi, const std::string& soundFont,
                              const std::atomic<bool>& cancel, CachedTuneWriter& out);

// Whether the synthesiser can be had, loading it the first time it is asked
// (fluidsynth_library.h); without it, says why, once. Asked before the mixer
// is handed a tune to synthesise, so that the synthesiser is quiet there too.
[[nodiscard]] bool SynthesiserReady();

}  // namespace platform
