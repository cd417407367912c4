// A tune file is data from strangers. The MIDI synthesiser behind the mixer
// loads almost anything without complaint, and a tune that takes no time to
// play (empty, unreadable to it, or with no delta times at all) makes a
// repeating tune spin forever inside the audio callback, freezing the game
// at its next music call. So a tune is handed to it only when this check can
// read the whole file and finds that it takes time to play, and that it asks
// no more of the synthesiser than it can play in real time: a tune it cannot
// keep up with would hold the sound device's lock for good, and the game
// would wait on it at its next music call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace formats {

// A background tune is a few kilobytes; anything far larger is not one, and is
// not read into memory.
inline constexpr std::size_t kLargestTuneFile = std::size_t{4} * 1024 * 1024;

// True for a well-formed Standard MIDI File (format 0 or 1, ticks per quarter
// note, every track complete up to its end-of-track event, only channel,
// 0xF0 sysex and meta events, no tempo of 0) with at least one track that
// lasts one tick or more, of at most 64 tracks, 200,000 events, 3,000 events
// a second and 128 notes sounding at once (the tracks' peaks added up).
// Stricter than the synthesiser where that is simpler: refusing a strange
// file costs only its music.
[[nodiscard]] bool IsPlayableMidi(std::span<const std::uint8_t> bytes);

// Why IsPlayableMidi refuses the bytes, in a few words; empty when it does not.
[[nodiscard]] std::string_view WhyNotPlayableMidi(std::span<const std::uint8_t> bytes);

}  // namespace formats
