// Stand-in until the sound backend lands: it only records the call.
#include "platform/call_log.h"
#include "platform/win32.h"

BOOL PlaySoundA(LPCSTR sound, HINSTANCE, DWORD) {
  platform::RecordCall("PlaySound", {}, sound);
  return 1;
}
