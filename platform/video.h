// Where a flipped frame goes. The SDL host installs an SdlVideo (a real
// window); tests and the headless host install a CaptureVideo, which keeps the
// frame. DirectDrawCreate fails when none is installed.
#pragma once

struct SDL_Surface;

namespace platform {

class VideoOutput {
 public:
  virtual ~VideoOutput() = default;
  // Takes over the screen for frames of width x height. False when it cannot.
  [[nodiscard]] virtual bool Open(int width, int height) = 0;
  // Shows the frame (RGB565, the size given to Open) and then waits until the
  // next frame is due, so that a loop that draws as fast as it can does not
  // spin. A frame that cannot be shown is dropped.
  virtual void Present(const SDL_Surface& frame) = 0;
  // Gives the screen back; Open may follow again.
  virtual void Close() = 0;
};

VideoOutput* ActiveVideoOutput();
void SetVideoOutput(VideoOutput* output);  // not owned; null removes it

}  // namespace platform
