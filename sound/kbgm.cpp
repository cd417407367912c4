// The music library on the platform's audio backend. The voice count and the
// device number of KBGMOpen have no meaning here: the mixer chooses both.
#include "sound/kbgm.h"

#include "platform/win32/audio.h"
#include "platform/win32/host.h"

KBGMHandle g_openingMusic = 0;
KBGMHandle g_playMusic = 0;

namespace {

constexpr std::int32_t kDone = 0;
constexpr std::int32_t kFailed = -1;

std::int32_t Result(bool done) {
  return done ? kDone : kFailed;
}

}  // namespace

std::int32_t KBGMOpen(std::int32_t voices, std::int32_t device) {
  platform::RecordCall("KBGMOpen", {voices, device});
  platform::AudioBackend* audio = platform::InstalledHost().audio;
  return Result(audio != nullptr && audio->Open());
}

std::int32_t KBGMLoadFile(KBGMHandle* handle, const char* fileName) {
  platform::RecordCall("KBGMLoadFile", {}, fileName != nullptr ? fileName : "");
  if (handle == nullptr) return kFailed;
  platform::AudioBackend* audio = platform::InstalledHost().audio;
  // A tune that cannot be loaded leaves "no tune" in the variable, so that the
  // screen that plays it later is simply silent.
  *handle = audio != nullptr && fileName != nullptr ? audio->LoadTune(fileName) : 0;
  return Result(*handle != 0);
}

std::int32_t KBGMPlay(KBGMHandle handle, std::int32_t) {
  platform::RecordCall("KBGMPlay", {handle});
  platform::AudioBackend* audio = platform::InstalledHost().audio;
  if (audio == nullptr || handle == 0) return kFailed;
  audio->PlayTune(handle);
  return kDone;
}

std::int32_t KBGMStop() {
  platform::RecordCall("KBGMStop");
  if (platform::AudioBackend* audio = platform::InstalledHost().audio) audio->StopTune();
  return kDone;
}

std::int32_t KBGMFree(KBGMHandle handle) {
  platform::RecordCall("KBGMFree", {handle});
  platform::AudioBackend* audio = platform::InstalledHost().audio;
  if (audio == nullptr || handle == 0) return kFailed;
  audio->FreeTune(handle);
  return kDone;
}

std::int32_t KBGMClose() {
  platform::RecordCall("KBGMClose");
  if (platform::AudioBackend* audio = platform::InstalledHost().audio) audio->Close();
  return kDone;
}
