#include <emscripten.h>

#include <string>

#include "platform/sdl/late_renderings.h"

namespace {

// The page (web/page.js) fetches the file, writes it at `path` and sets
// morvex2TunesArrived; a page without the fetch leaves the tune silent.
// clang-format off
EM_JS(int, PageFetchesTune, (const char* path), {
  return Module.morvex2FetchTune && Module.morvex2FetchTune(UTF8ToString(path)) ? 1 : 0;
});

EM_JS(int, PageTakeTunesArrived, (), {
  var arrived = Module.morvex2TunesArrived;
  Module.morvex2TunesArrived = false;
  return arrived ? 1 : 0;
});
// clang-format on

}  // namespace

namespace platform {

bool AskForLateRendering(const std::string& path) {
  return PageFetchesTune(path.c_str()) != 0;
}

bool LateRenderingsArrived() {
  return PageTakeTunesArrived() != 0;
}

}  // namespace platform
