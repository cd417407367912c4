#include <cstdint>
#include <string>

#include "platform/sdl/late_renderings.h"

namespace platform {

// Installed with the game: a rendering that is not there never comes, and
// the shipped ones are decoded, where they are, by the game itself.
bool AskForLateRendering(const std::string& /*path*/) {
  return false;
}

bool LateRenderingsArrived() {
  return false;
}

bool AskToDecodeRendering(const std::string& /*path*/, std::uint64_t /*length*/) {
  return false;
}

DecodedRendering TakeDecodedRendering(const std::string& /*path*/,
                                      const std::string& /*cachePath*/) {
  return DecodedRendering::kFailed;
}

}  // namespace platform
