// Where a flipped frame goes: the installed host's video output (host.h). The
// SDL host's is an SdlVideo (a real window); tests and the headless host install
// a CaptureVideo, which keeps the frame. DirectDrawCreate fails without one.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32/pixel_buffer.h"
#include "platform/win32/win32.h"

namespace platform {

// What a flip knows of its frame: the surface it comes from, its flip's
// number (1, 2, ... for that surface), and the parts written since that
// surface's flip before. Outside those parts the frame is the same as the one
// before it, if that one was shown.
struct FrameDirtyRects {
  std::uint64_t surface = 0;
  std::uint64_t flip = 0;
  const std::vector<RECT>* areas = nullptr;
};

class VideoOutput {
 public:
  virtual ~VideoOutput() = default;
  // Takes over the screen for frames of width x height. False when it cannot.
  [[nodiscard]] virtual bool Open(int width, int height) = 0;
  // Shows the frame (the size given to Open) and then waits until the next
  // frame is due, so that a loop that draws as fast as it can does not spin.
  // A frame that cannot be shown is dropped. The pixels are the surface's own
  // and stay its own: an output that needs them later keeps a copy.
  virtual void Present(const PixelBuffer& frame) = 0;
  // The same, told what was written since the flip before: an output that
  // compares frames need look only there.
  virtual void PresentDirty(const PixelBuffer& frame, const FrameDirtyRects& writes) {
    (void)writes;
    Present(frame);
  }
  // Gives the screen back; Open may follow again.
  virtual void Close() = 0;
};

}  // namespace platform
