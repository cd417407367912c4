// Where the program meets the world tables: ChangeScene tells this what
// happens, as it tells the replay recorder. With no server chosen nothing
// here does anything.
//
// - The title screen starting asks for tickets, so that a game never waits.
// - The play screen starting takes the level's ticket and sets the play
//   screen's seed from it, before the recorder notes the seed.
// - The play screen left: the end is told (a game left with ESC is dropped).
// - The ranking screen started after a game over: the replay just kept is
//   sent with the player's name.
// - A world entry's replay, once fetched, is shown as --replay shows one, and
//   the ranking screen's world view comes back after it.
#pragma once

#include <cstdint>
#include <vector>

class Scene;

void NoteWorldSceneStarting(Scene* next);
void NoteWorldSceneStarted(Scene* next);

// Shows the replay in `bytes` (a world entry's); a file that does not read is
// said on standard error and nothing changes.
void WatchWorldReplay(const std::vector<std::uint8_t>& bytes);
