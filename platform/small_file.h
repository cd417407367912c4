// Reads a whole small file that the player or anyone else may have put in
// the game's way. Only a regular file is read, never more than a given size,
// and the open never waits: a FIFO, a device or a link to one is no file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

// The file's bytes, or nothing when it is missing, not a regular file, larger
// than `largest` bytes or cannot be read to its end.
std::optional<std::vector<std::uint8_t>> ReadSmallFile(const char* path, std::size_t largest);

}  // namespace platform
