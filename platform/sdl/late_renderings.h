// The tunes' renderings that come after the game has started. The browser's
// page leaves them out of its first download, which they would make three
// times as long, and fetches each one the game asks for once the first frame
// is out, as it does the other late files (platform/base/late_files.h); the
// desktop installs them with the game, so nothing comes later.
//
// Decoding an Ogg rendering as it plays is most of what the game itself
// costs the page on the title screen, so once one has come and the game has
// checked it, the page decodes it whole with the browser's own decoder, which
// works off the page's thread, and the game keeps the samples in its tune
// cache as a plain WAV rendering, as the desktop does with its own decoder.
#pragma once

#include "platform/sdl/sdl_mixer_audio.h"

namespace platform {

// Has `audio` await the renderings that come late, where any do.
void AwaitLateRenderings(SdlMixerAudio& audio);

}  // namespace platform
