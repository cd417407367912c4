#include "platform/win32/audio.h"

namespace platform {

namespace {
AudioBackend* g_activeAudioBackend = nullptr;
}

AudioBackend* ActiveAudioBackend() {
  return g_activeAudioBackend;
}

void SetAudioBackend(AudioBackend* backend) {
  g_activeAudioBackend = backend;
}

}  // namespace platform
