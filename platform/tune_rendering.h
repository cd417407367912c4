// Plays a tune once through the General MIDI synthesiser, as fast as the
// machine allows, and keeps the result as Ogg Vorbis: the same synthesiser
// and settings that the mixer uses for a tune, so what is heard from the
// rendering is what the tune sounds like live.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

inline constexpr int kRenderRate = 44100;
// Rendering stops here; a tune this long is played live instead.
inline constexpr int kLongestRenderedSeconds = 600;

// One pass of the tune, from its first tick to its last event, as an Ogg
// Vorbis stream at kRenderRate, encoded as it is synthesised. Always the same
// bytes for the same tune and soundfont. Nothing when the synthesiser cannot
// take the tune or the soundfont, the tune is too long, or `cancel` becomes
// true.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> RenderTune(
    std::span<const std::uint8_t> midi, const std::string& soundFont,
    const std::atomic<bool>& cancel);

// Quietens the synthesiser's own messages: a strange tune can make it print
// a line for every note, millions of them. The setting is the whole
// process's, so it is made once, before any tune is synthesised or rendered.
void SilenceSynthesiserLog();

}  // namespace platform
