// The tunes' renderings that come after the game has started. The browser's
// page leaves them out of its first download, which they would make three
// times as long, and fetches each one the game asks for once the first frame
// is out; the desktop installs them with the game, so nothing comes later.
#pragma once

#include <string>

namespace platform {

// Asks for the rendering that belongs at `path`; false where none will come.
bool AskForLateRendering(const std::string& path);

// True when a rendering asked for has come since the last call.
bool LateRenderingsArrived();

}  // namespace platform
