// A video output without a screen, for tests and the headless host: it keeps
// a copy of the last frame presented, which can be read back or saved as PNG.
// Instead of waiting for a display, each frame can move a virtual clock on by
// a sixtieth of a second, so that a headless run keeps the real game's pace.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "formats/png_file.h"
#include "platform/base/clock.h"
#include "platform/win32/pixel_buffer.h"
#include "platform/win32/video.h"

namespace platform {

class CaptureVideo final : public VideoOutput {
 public:
  [[nodiscard]] bool Open(int width, int height) override;
  void Present(const PixelBuffer& frame) override;
  void Close() override;

  // Open fails while set: a display that cannot take the game's mode.
  void SetOpenFails(bool fails) { openFails_ = fails; }
  // While set (not owned), every frame advances the clock to the next 1/60 s.
  void SetPacingClock(VirtualClock* clock) { pacingClock_ = clock; }

  [[nodiscard]] bool IsOpen() const { return open_; }
  [[nodiscard]] int FramesPresented() const { return framesPresented_; }
  // The last frame presented, or null before the first.
  [[nodiscard]] const PixelBuffer* LastFrame() const {
    return framesPresented_ > 0 && frame_ ? &*frame_ : nullptr;
  }
  [[nodiscard]] bool SaveLastFramePng(const std::string& path) const;

 private:
  void Pace();

  std::optional<PixelBuffer> frame_;
  bool open_ = false;
  bool openFails_ = false;
  int framesPresented_ = 0;
  VirtualClock* pacingClock_ = nullptr;
  std::int64_t pacedFrames_ = 0;
};

// A part of an RGB565 picture as 8-bit RGB, each channel widened by repeating
// its top bits (31 -> 255, 63 -> 255), so that it narrows back exactly.
formats::RgbImage RgbFromRgb565(const PixelBuffer& pixels, const RECT& area);

}  // namespace platform
