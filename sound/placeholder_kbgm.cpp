// Stand-in until the music backend lands: it only records the calls.
#include "platform/call_log.h"
#include "sound/kbgm.h"

KBGMHandle g_openingMusic = 0;
KBGMHandle g_playMusic = 0;

std::int32_t KBGMOpen(std::int32_t, std::int32_t) { return 0; }
std::int32_t KBGMLoadFile(KBGMHandle* handle, const char*) {
  *handle = 0;
  return 0;
}
std::int32_t KBGMPlay(KBGMHandle handle, std::int32_t) {
  platform::RecordCall("KBGMPlay", {handle});
  return 0;
}
std::int32_t KBGMStop() {
  platform::RecordCall("KBGMStop");
  return 0;
}
std::int32_t KBGMFree(KBGMHandle) { return 0; }
std::int32_t KBGMClose() { return 0; }
