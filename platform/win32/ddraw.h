// The DirectDraw-shaped screen of the platform layer: one display object, a
// flipping primary surface with its back buffer, off-screen surfaces, a
// clipper, source colour keys and the "lost" state. The game talks to these
// objects only through the method names it always used; the pixels, 16-bit
// RGB565, are the platform's own business (surface_pixels.h), and a flip hands
// the back buffer to the active video output (platform/win32/video.h).
//
// Differences from the real interfaces, all invisible to the game:
// - Blt copies one to one; it does not stretch (the game never asks it to).
// - An attached back buffer goes with its primary surface: releasing the
//   primary frees both, and releasing the back buffer itself does nothing.
// - A flip presents the back buffer and leaves its content in place; a
//   flipping primary surface has no pixels of its own but shares the back
//   buffer's, since nothing ever reads a front buffer.
// - Each surface knows which parts of it were written since it was last
//   covered whole by a copy of another surface, and since its last flip. The
//   game copies its background over the whole screen every frame; only the
//   parts drawn over since are copied again, and only the parts written since
//   the last flip are compared with the frame on the screen. The pixels are
//   the same as if everything were copied. Measured against copying and
//   comparing everything (scripts/measure.sh, medians of 3 to 5 interleaved
//   20 s runs on a shared machine, load 11 to 18, CPU counted in steps of
//   0.05 %): title screen 0.25 to 0.35 % against 0.43 %, running game 0.19
//   to 0.25 % against 0.32 % at 640 x 480; title 0.40 to 0.47 % against
//   0.59 %, game 0.20 % against 0.30 % at 1920 x 1080. Memory and the first
//   frame do not change.
// - A text drawn again at the same place, in the same colours and with the
//   same bytes as at the last frame, and alone in its part of the screen, is
//   not copied over by the background nor drawn again: it is already there
//   (ddraw.cpp says what that saves).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/win32/gdi.h"
#include "platform/win32/win32.h"

using ULONG = std::uint32_t;

namespace platform {
struct SurfacePixels;
}  // namespace platform

// Results. DirectDraw's own codes are 0x8876xxxx; a few are the COM generics.
constexpr HRESULT MakeDDError(std::uint32_t code) {
  return static_cast<HRESULT>(0x88760000u | code);
}
constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DDERR_INVALIDOBJECT = MakeDDError(130);
constexpr HRESULT DDERR_INVALIDRECT = MakeDDError(150);
constexpr HRESULT DDERR_SURFACELOST = MakeDDError(450);  // 0x887601C2
constexpr HRESULT DDERR_NODIRECTDRAWHW = MakeDDError(520);
constexpr HRESULT DDERR_CANTCREATEDC = MakeDDError(581);
constexpr HRESULT DDERR_NOTFLIPPABLE = MakeDDError(582);
constexpr HRESULT DDERR_WRONGMODE = MakeDDError(587);
constexpr HRESULT DDERR_NOTFOUND = MakeDDError(255);

// Flags.
constexpr DWORD DDSCL_FULLSCREEN = 0x1;
constexpr DWORD DDSCL_NORMAL = 0x8;
constexpr DWORD DDSCL_EXCLUSIVE = 0x10;
constexpr DWORD DDSD_CAPS = 0x1;
constexpr DWORD DDSD_HEIGHT = 0x2;
constexpr DWORD DDSD_WIDTH = 0x4;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x20;
constexpr DWORD DDSCAPS_BACKBUFFER = 0x4;
constexpr DWORD DDSCAPS_COMPLEX = 0x8;
constexpr DWORD DDSCAPS_FLIP = 0x10;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr DWORD DDCKEY_SRCBLT = 0x8;
constexpr DWORD DDBLT_KEYSRC = 0x8000;
constexpr DWORD DDBLT_WAIT = 0x1000000;
constexpr DWORD DDFLIP_WAIT = 0x1;

struct DDSCAPS {
  DWORD dwCaps;
};

struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
};

// The fields of a surface description that the game fills in.
struct DDSURFACEDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  DWORD dwBackBufferCount;
  DDSCAPS ddsCaps;
};

class IDirectDrawClipper {
 public:
  HRESULT SetHWnd(DWORD flags, HWND hwnd);
  ULONG Release();

  // Platform side: the window whose area blits are cropped to.
  [[nodiscard]] HWND Window() const { return window_; }

 private:
  HWND window_ = nullptr;
};

class IDirectDrawSurface {
 public:
  IDirectDrawSurface(const IDirectDrawSurface&) = delete;
  IDirectDrawSurface& operator=(const IDirectDrawSurface&) = delete;

  HRESULT Blt(RECT* destRect, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags, void* fx);
  HRESULT Flip(IDirectDrawSurface* target, DWORD flags);
  HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** attached);
  HRESULT SetClipper(IDirectDrawClipper* clipper);
  HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key);
  HRESULT GetDC(HDC* dc);
  HRESULT ReleaseDC(HDC dc);
  HRESULT Restore();
  ULONG Release();

  // Platform side: the size, the source colour key if one is set, and whether
  // the memory is lost. The pixels are reached through surface_pixels.h.
  [[nodiscard]] int Width() const;
  [[nodiscard]] int Height() const;
  [[nodiscard]] std::optional<DDCOLORKEY> SourceKey() const { return sourceKey_; }
  void MarkLost();

 private:
  friend class IDirectDraw;
  friend struct platform::SurfacePixels;
  // The pixels and the parts of them written since the last whole copy and
  // since the last flip (ddraw.cpp).
  struct Memory;
  IDirectDrawSurface(std::unique_ptr<Memory> memory, bool primary);
  ~IDirectDrawSurface();

  // A blit that has passed its checks, and what it wrote noted.
  void CopyChecked(const RECT& dest, const IDirectDrawSurface& source, const RECT& sourceRect,
                   bool keyed);
  // Copies pixels only; returns the part of this surface written.
  RECT CopyRect(const RECT& dest, const IDirectDrawSurface& source, const RECT& sourceRect,
                bool keyed);
  void CopyWhole(const IDirectDrawSurface& source);
  void LeaveTexts();
  void MarkDirty(const RECT& area);
  // Texts that the last whole copy of the background left in place are given
  // their background before their surface is read or written, or that
  // background is written (ddraw.cpp).
  static void BeforeTouching(const IDirectDrawSurface* written, const IDirectDrawSurface* read);
  static void PutBackUnderLeftTexts();
  [[nodiscard]] RECT Whole() const;
  [[nodiscard]] RECT OnSurface(const RECT& rect) const;

  std::unique_ptr<Memory> memory_;
  std::uint64_t id_;       // never the same for two surfaces of one run
  std::uint64_t version_;  // new at every write
  // This surface holds a whole copy of surface copiedFrom_ as it was at
  // copiedVersion_, except where written since.
  bool copyKnown_ = false;
  std::uint64_t copiedFrom_ = 0;
  std::uint64_t copiedVersion_ = 0;
  std::uint64_t flips_ = 0;
  bool primary_;
  bool attached_ = false;  // a back buffer, which goes with its primary surface
  bool lost_ = false;
  IDirectDrawSurface* backBuffer_ = nullptr;  // owned by a primary surface
  IDirectDrawClipper* clipper_ = nullptr;
  std::optional<DDCOLORKEY> sourceKey_;
  DeviceContext dc_{};
  bool dcTaken_ = false;
};

class IDirectDraw {
 public:
  HRESULT SetCooperativeLevel(HWND hwnd, DWORD flags);
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel);
  HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, void* outer);
  HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, void* outer);
  ULONG Release();

 private:
  friend HRESULT DirectDrawCreate(void* driver, IDirectDraw** directDraw, void* outer);
  IDirectDraw() = default;
  ~IDirectDraw() = default;
  [[nodiscard]] HRESULT CreatePrimarySurface(const DDSURFACEDESC& desc, DWORD caps,
                                             IDirectDrawSurface** surface) const;

  bool exclusive_ = false;
  bool modeSet_ = false;
  int modeWidth_ = 0;
  int modeHeight_ = 0;
};

// The display object of the default display: fails with DDERR_NODIRECTDRAWHW
// when no video output is installed (no screen can be had).
HRESULT DirectDrawCreate(void* driver, IDirectDraw** directDraw, void* outer);

namespace platform {

// The screen was taken away (a device reset, the full-screen window minimised
// or left): every live surface reports DDERR_SURFACELOST from Blt, Flip and
// GetDC until it is restored. The video output calls this from its events;
// tests call it to take the screen away on demand.
void LoseDisplay();

// The colour a COLORREF has on a 16-bit surface.
std::uint16_t ToRgb565(COLORREF colour);

}  // namespace platform
