#include <emscripten.h>

#include "platform/base/durable_files.h"

namespace platform {

// emscripten's own fsync would copy the folder to IndexedDB and wait for it,
// which cannot be done while the page, not the game's loop, is calling the
// game (the player's name from the page). The page makes one copy once the
// game hands it back, for all the flushes of a save (web/pre.js,
// morvex2SaveFiles), and shows a copy that failed.
bool FlushToStorage(int /*handle*/) {
  // clang-format off
  EM_ASM({ if (Module.morvex2SaveFiles) Module.morvex2SaveFiles(); });
  // clang-format on
  return true;
}

}  // namespace platform
