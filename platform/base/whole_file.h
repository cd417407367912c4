// Small files of the player's that are read with care and written whole or not
// at all: a file being replaced is never seen half written, even when the
// program is killed or the power fails in the middle of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/base/files.h"

namespace platform {

// Writes `bytes` in place of `path` through a FileReplacement. On failure
// nothing changed at `path`, nothing is left beside it, and errno says why.
[[nodiscard]] bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes,
                                  WriteMode mode, std::uint32_t permissions = 0644);

// The whole of a regular file of at most `limit` bytes. A FIFO, a device, a
// folder, a larger file or a read error give nothing; the open never blocks.
// On failure errno says why, or is 0 when the file is there but not one of
// those.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> ReadSmallFile(const std::string& path,
                                                                     std::size_t limit);

}  // namespace platform
