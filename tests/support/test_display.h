// The display set up for a test: test pictures in place of the art, a captured
// screen instead of a real one, the game active, and InitDisplay run. Every
// piece is put back when it goes out of scope.
#pragma once

#include <cstdint>

#include "platform/win32/ddraw.h"
#include "platform/win32/host.h"
#include "platform/win32/pixel_buffer.h"
#include "platform/win32/win32.h"
#include "tests/support/headless/offscreen_video.h"

namespace testsupport {

// A window handle for display calls that never looks at its window.
HWND FakeWindow();

// One RGB565 pixel of a surface; of the frame under construction unless told.
std::uint16_t& PixelAt(int x, int y, IDirectDrawSurface* surface = nullptr);

class TestDisplay {
 public:
  explicit TestDisplay(HWND hwnd = FakeWindow());
  ~TestDisplay();
  TestDisplay(const TestDisplay&) = delete;
  TestDisplay& operator=(const TestDisplay&) = delete;

  bool initialised() const { return initialised_; }
  platform::CaptureVideo& video() { return video_; }
  // The frame under construction.
  static const platform::PixelBuffer& BackBuffer();
  // The whole frame under construction, for comparing frames.
  static formats::RgbImage Frame();

 private:
  platform::CaptureVideo video_;
  platform::Host previousHost_;
  std::uint32_t previousActive_;
  bool initialised_ = false;
};

}  // namespace testsupport
