// Runs the real play code on a simulated field or script and prints one JSON
// line per event. Timer, sound and music calls are recorded, not carried out,
// and a scene switch ends the run instead of starting another screen.
#pragma once

#include <cstdio>

#include "tools/morvex2_sim/sim_input.h"

namespace sim {

// A clearing phase from a landed field, one line per tick.
void RunClear(const FieldInput& field, std::FILE* out);

// A game from Start, one line for the start and one per event.
void RunGame(const ScriptInput& script, std::FILE* out);

}  // namespace sim
