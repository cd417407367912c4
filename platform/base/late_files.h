// Files of the game's own that come after it has started. The browser's page
// leaves the pictures of the levels and of the high-score tables and the
// glyphs of the rarer kanji out of its first download, where the first frame
// would wait for them, and fetches them once the game runs; an installed game
// has every file from the start, and none comes late.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Asks for the late file `name` without waiting for it; false where no file
// comes late.
bool AskForLateFile(const std::string& name);

// The bytes of the late file `name`, once it has come: the game waits for it
// meanwhile, while the page goes on. Nothing when it could not be fetched (it
// is asked for again at the next call) or where no file comes late.
std::optional<std::vector<std::uint8_t>> AwaitLateFile(const std::string& name);

}  // namespace platform
