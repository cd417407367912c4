#include <string>

#include "platform/sdl/late_renderings.h"

namespace platform {

// Installed with the game: a rendering that is not there never comes.
bool AskForLateRendering(const std::string& /*path*/) {
  return false;
}

bool LateRenderingsArrived() {
  return false;
}

}  // namespace platform
