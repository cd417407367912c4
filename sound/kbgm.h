// The music library: two background tunes from MIDI files. No caller looks at
// a result; whatever fails leaves the game running without that music.
//
// The calls go to the platform's active audio backend. Every call is noted in
// the platform's call log (when one is active) under its own name, so that the
// order of start-up, scene switches and shutdown can be checked. Results are 0
// on success and -1 on failure; a handle of 0 means "no tune", and playing or
// freeing it, or any call after a failed KBGMOpen, does nothing.
#pragma once

#include <cstdint>

using KBGMHandle = std::int32_t;

extern KBGMHandle g_openingMusic;  // "music2.mid", the title tune
extern KBGMHandle g_playMusic;     // "music1.mid", the play tune

std::int32_t KBGMOpen(std::int32_t voices, std::int32_t device);
std::int32_t KBGMLoadFile(KBGMHandle* handle, const char* fileName);
// The tune repeats until it is stopped, whatever the loop argument says: the
// game passes 1 and expects its tune to go on while the screen is shown.
std::int32_t KBGMPlay(KBGMHandle handle, std::int32_t loop);
std::int32_t KBGMStop();
std::int32_t KBGMFree(KBGMHandle handle);
std::int32_t KBGMClose();
