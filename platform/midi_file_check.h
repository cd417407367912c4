// A tune file is data from strangers. The MIDI synthesiser behind the mixer
// loads almost anything without complaint, and a tune that takes no time to
// play (empty, unreadable to it, or with no delta times at all) makes a
// repeating tune spin forever inside the audio callback, freezing the game
// at its next music call. So a tune is handed to it only when this check can
// read the whole file and finds that it takes time to play.
#pragma once

#include <cstdint>
#include <span>

namespace platform {

// True for a well-formed Standard MIDI File (format 0 or 1, ticks per quarter
// note, every track complete up to its end-of-track event, only channel,
// 0xF0 sysex and meta events, no tempo of 0) with at least one track that
// lasts one tick or more. Stricter than the synthesiser where that is simpler:
// refusing a strange file costs only its music.
bool IsPlayableMidi(std::span<const std::uint8_t> bytes);

}  // namespace platform
