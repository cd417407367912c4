// Files of the game's own that come after it has started. The browser's page
// leaves the pictures of the levels and of the high-score tables, the glyphs
// of the kanji its own texts do not use and the tunes' renderings out of its first download,
// where the first frame would wait for them, and fetches each one the game
// asks for, by its place in the site ("late/glyphs.late"), once; an installed
// game has every file from the start, and none comes late. One that could not
// be fetched, or whose copy was found damaged and removed, is fetched anew
// when it is next asked for.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

enum class LateFile {
  kNone,    // none comes: an installed game, or it could not be fetched this time
  kComing,  // asked for, and on its way
  kHere,    // at LateFilePath (which only the page has)
};

// Asks for the late file `name` without waiting for it; how it stands.
LateFile AskForLateFile(const std::string& name);
std::string LateFilePath(const std::string& name);

// The bytes of the late file `name` once it has come and passed `check`: the
// game waits meanwhile, while the page goes on. Nothing where it did not
// come, or failed the check (its copy is then removed).
std::optional<std::vector<std::uint8_t>> AwaitLateFile(
    const std::string& name, const std::function<bool(std::span<const std::uint8_t>)>& check);

// True when a late file has come or failed, or a tune's samples have been
// decoded, since the last call: what waits without blocking looks again.
bool LateFilesArrived();

}  // namespace platform
