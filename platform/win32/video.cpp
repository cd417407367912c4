#include "platform/win32/video.h"

namespace platform {

namespace {
VideoOutput* g_videoOutput = nullptr;
}

VideoOutput* ActiveVideoOutput() {
  return g_videoOutput;
}

void SetVideoOutput(VideoOutput* output) {
  g_videoOutput = output;
}

}  // namespace platform
