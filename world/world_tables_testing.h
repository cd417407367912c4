// What a run of the game in a process that has run it before needs of the
// world's tables and the game never does: to hold none again.
#pragma once

// Nothing held, nothing on its way.
void ResetWorldTables();
