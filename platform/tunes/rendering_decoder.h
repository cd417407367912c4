// The game's own renderings ship as Ogg Vorbis, a tenth of the size of plain
// samples; decoding one as it plays costs the game more CPU than all else it
// does on the title screen. So a shipped rendering is decoded once, on the
// renderings' worker, into the cache as a plain WAV file, and played from
// there from then on. The samples are the ones the mixer itself decodes from
// the Ogg file (it uses the same decoder, asked the same way), so nothing a
// player hears changes when a tune moves from one to the other.
#pragma once

#include <atomic>
#include <string>

#include "platform/tunes/tune_cache.h"

namespace platform {

// Writes the Ogg Vorbis rendering at `path` (checked as the cache checks its
// own) to `out` as a WAV file of 16-bit samples, with the stream's own rate
// and channels. False, with `out` unfinished, when the file is missing,
// damaged or not one Vorbis stream of one or two channels, when it lasts
// longer than kLongestRenderedSeconds, when writing fails, or once `cancel`
// is true.
[[nodiscard]] bool DecodeOggRendering(const std::string& path, const std::atomic<bool>& cancel,
                                      CachedTuneWriter& out);

}  // namespace platform
