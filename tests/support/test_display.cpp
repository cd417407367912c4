#include "tests/support/test_display.h"

#include "app/globals.h"
#include "display/screen.h"
#include "platform/ddraw.h"
#include "resources/resources.h"
#include "tests/support/test_pictures.h"

namespace testsupport {

HWND FakeWindow() {
  return reinterpret_cast<HWND>(std::uintptr_t{0x7E57});
}

TestDisplay::TestDisplay(HWND hwnd)
    : previousVideo_(platform::ActiveVideoOutput()), previousActive_(g_appActive) {
  RegisterTestPictures();
  platform::SetVideoOutput(&video_);
  g_appActive = 1;
  initialised_ = InitDisplay(hwnd);
}

TestDisplay::~TestDisplay() {
  ReleaseDisplay();
  platform::SetVideoOutput(previousVideo_);
  g_appActive = previousActive_;
  resources::ClearTestResources();
}

const SDL_Surface& TestDisplay::BackBuffer() {
  return *g_backBuffer->Pixels();
}

std::uint16_t TestDisplay::PixelAt(int x, int y) {
  const SDL_Surface& pixels = BackBuffer();
  return reinterpret_cast<const std::uint16_t*>(static_cast<const std::uint8_t*>(pixels.pixels) +
                                                y * pixels.pitch)[x];
}

}  // namespace testsupport
