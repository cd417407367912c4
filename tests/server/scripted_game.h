// Whole games played by a plain script on the play rules alone and recorded as the game
// records them: valid replays for any ticket's seed and level, which the server's tests and
// the load program submit.
#pragma once

#include <cstdint>

#include "core/replay_file.h"

namespace testworld {

// The game `seed` and `level` give when each piece is turned once, moved to the next of a
// few columns in turn and dropped: out of the first pause, then piece by piece until the stack
// reaches the top (a game over), or until `maxPieces` pieces have fallen, then ESC (the game left).
// Its ticks come when the game's clock gives them, its keys a millisecond after the message
// before; it waits before the first RETURN and before the first DOWN so that its last message
// (the recorded length) comes at `durationMs`, within 20 ms, unless the game needs longer: it
// then takes the shortest time it can.
Replay PlayScriptedGame(std::uint32_t seed, std::int32_t level, std::uint32_t durationMs,
                        int maxPieces = 1000);

}  // namespace testworld
