// What a run of the game in a process that has run it before needs of the
// ranked games and the game never does: to start without them again.
#pragma once

// No tickets, no game, no outcome.
void ResetRankedGames();
