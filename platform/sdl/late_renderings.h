// The tunes' renderings that come after the game has started. The browser's
// page leaves them out of its first download, which they would make three
// times as long, and fetches each one the game asks for once the first frame
// is out; the desktop installs them with the game, so nothing comes later.
//
// Decoding an Ogg rendering as it plays is most of what the game itself
// costs the page on the title screen, so once one has come and the game has
// checked it, the page decodes it whole with the browser's own decoder, which
// works off the page's thread, and the game keeps the samples in its tune
// cache as a plain WAV rendering, as the desktop does with its own decoder.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Asks for the rendering that belongs at `path`; false where none will come.
bool AskForLateRendering(const std::string& path);

// True when a rendering asked for, or its samples, have come since the last
// call.
bool LateRenderingsArrived();

// Asks for the samples of the checked Ogg rendering at `path`, whose first
// `length` bytes are the stream; false where nothing will decode them.
bool AskToDecodeRendering(const std::string& path, std::uint64_t length);

enum class DecodedRendering {
  kComing,   // asked for and not yet decoded
  kWritten,  // kept at the place given, whole
  kFailed,   // nothing decoded or nothing kept; asked for again, it is decoded anew
};

// Once the samples of the rendering at `path` have come, writes them to the
// tune cache at `cachePath` and lets go of them.
DecodedRendering TakeDecodedRendering(const std::string& path, const std::string& cachePath);

}  // namespace platform
