#include "platform/sdl/late_renderings.h"

namespace platform {

// Installed with the game: a rendering that is not there never comes, and
// the shipped ones are decoded, where they are, by the game itself.
void AwaitLateRenderings(SdlMixerAudio& /*audio*/) {}

}  // namespace platform
