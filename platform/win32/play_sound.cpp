// The clap's way out: PlaySoundA on the host's audio backend. The game only
// ever asks for SND_FILENAME | SND_ASYNC, so every call plays the named file
// once and returns at once; a new call cuts off the sound still playing.
#include "platform/win32/audio.h"
#include "platform/win32/host.h"
#include "platform/win32/win32.h"

BOOL PlaySoundA(LPCSTR sound, HINSTANCE, DWORD) {
  platform::RecordCall("PlaySound", {}, sound != nullptr ? sound : "");
  platform::AudioBackend* audio = platform::InstalledHost().audio;
  if (sound == nullptr || audio == nullptr) return 0;
  return audio->PlaySound(sound) ? 1 : 0;
}
