#include <emscripten.h>

#include "platform/base/durable_files.h"

namespace platform {

// The page copies the data folder to IndexedDB once the game hands the page
// back to the browser, so that the flushes of one save (the new file, then its
// rename) go in one copy (web/page.js, morvex2KeepFiles).
void KeepFlushedFiles() {
  // clang-format off
  EM_ASM({ if (Module.morvex2KeepFiles) Module.morvex2KeepFiles(); });
  // clang-format on
}

}  // namespace platform
