// Which General MIDI soundfont the tunes are played with.
#pragma once

#include <string>

namespace platform {

// The first soundfont named in SDL_SOUNDFONTS (a list separated by ':' or
// ';', as the mixer reads it) that is a regular file; else the Debian default
// General MIDI soundfont, compressed or not; empty when there is none.
std::string FindSoundFont();

}  // namespace platform
