// The tunes' renderings made when the game is built, installed beside the
// tunes themselves and read where they are: a player who still has the
// game's own tunes and soundfont hears them from the first start on, without
// rendering anything. They are named and checked as the cache names and
// checks its renderings (tune_cache.h), in a folder of their own, which also
// keeps the identity of the soundfont they were made with.
#pragma once

#include <set>
#include <string>

namespace platform {

// The soundfont's identity (SoundFontIdentity) that the renderings in
// `folder` were made with; empty when the folder keeps none.
std::string ShippedSoundFont(const std::string& folder);

// Keeps `identity` as the soundfont of the renderings in `folder`.
[[nodiscard]] bool KeepShippedSoundFont(const std::string& folder, const std::string& identity);

// Removes every rendering in `folder` but those at the paths in `kept`, so
// that a tune changed or dropped since the last build leaves nothing behind
// to be installed.
void RemoveOtherRenderings(const std::string& folder, const std::set<std::string>& kept);

}  // namespace platform
