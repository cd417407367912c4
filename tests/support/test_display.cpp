#include "tests/support/test_display.h"

#include "core/globals.h"
#include "display/screen.h"
#include "platform/win32/surface_pixels.h"
#include "resources/resources_testing.h"
#include "tests/support/host_part.h"
#include "tests/support/test_pictures.h"

namespace testsupport {

HWND FakeWindow() {
  return reinterpret_cast<HWND>(std::uintptr_t{0x7E57});
}

std::uint16_t& PixelAt(int x, int y, IDirectDrawSurface* surface) {
  return platform::SurfacePixels::Of(*(surface != nullptr ? surface : g_backBuffer)).Row(y)[x];
}

TestDisplay::TestDisplay(HWND hwnd) : previousActive_(g_appActive) {
  RegisterTestPictures();
  previousHost_ = PutInHost(&platform::Host::video, &video_);
  g_appActive = 1;
  initialised_ = InitDisplay(hwnd);
}

TestDisplay::~TestDisplay() {
  ReleaseDisplay();
  platform::InstallHost(previousHost_);
  g_appActive = previousActive_;
  resources::ClearTestResources();
}

const platform::PixelBuffer& TestDisplay::BackBuffer() {
  return platform::SurfacePixels::Of(*g_backBuffer);
}

formats::RgbImage TestDisplay::Frame() {
  return platform::RgbFromRgb565(BackBuffer(), RECT{0, 0, 640, 480});
}

}  // namespace testsupport
