// The game's two background tunes, composed for it. Each loops back to its own
// beginning when it ends. Empty when a written passage does not parse.
#pragma once

#include <optional>

#include "tools/art/byte_writer.h"

namespace art {

std::optional<Bytes> ComposeTitleTune();  // "music2.mid": calm, for the title screen
std::optional<Bytes> ComposePlayTune();   // "music1.mid": lively, while a game runs

}  // namespace art
