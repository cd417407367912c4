#include "platform/base/colour_aid.h"

namespace platform {

namespace {
bool g_colourAid = false;
}  // namespace

void SetColourAid(bool on) {
  g_colourAid = on;
}

bool ColourAidOn() {
  return g_colourAid;
}

}  // namespace platform
