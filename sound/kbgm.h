// The music library: two background tunes from MIDI files. No caller looks at
// a result; whatever fails leaves the game running without that music.
#pragma once

#include <cstdint>

using KBGMHandle = std::int32_t;

extern KBGMHandle g_openingMusic;  // "music2.mid", the title tune
extern KBGMHandle g_playMusic;     // "music1.mid", the play tune

std::int32_t KBGMOpen(std::int32_t voices, std::int32_t device);
std::int32_t KBGMLoadFile(KBGMHandle* handle, const char* fileName);
std::int32_t KBGMPlay(KBGMHandle handle, std::int32_t loop);
std::int32_t KBGMStop();
std::int32_t KBGMFree(KBGMHandle handle);
std::int32_t KBGMClose();
