#include "display/bitmap_loader.h"

#include <span>

#include "display/dib.h"
#include "display/message_box.h"
#include "display/messages.h"
#include "display/screen.h"
#include "platform/win32/ddraw.h"
#include "resources/resources.h"

namespace {

bool ShowMessage(HWND hwnd, const char* text, const char* english) {
  ShowDisplayMessage(hwnd, text, english);
  return false;
}

}  // namespace

bool LoadBitmapToSurface(HWND hwnd, IDirectDrawSurface* surface, const char* name) {
  HRSRC resource = FindResourceA(nullptr, name, RT_BITMAP);
  if (resource == nullptr) return FatalDisplayError(hwnd);

  // The size of the copy comes from the picture's header. Once the picture
  // is in its surface, the resource's bytes are let go.
  const HGLOBAL loaded = LoadResource(nullptr, resource);
  const struct Release {
    HGLOBAL data;
    ~Release() { FreeResource(data); }
  } release{loaded};
  const auto* locked = static_cast<const std::uint8_t*>(LockResource(loaded));
  const std::span<const std::uint8_t> bytes =
      locked != nullptr ? std::span(locked, SizeofResource(nullptr, resource))
                        : std::span<const std::uint8_t>();
  const std::optional<DibSize> size = ReadDibSize(bytes);
  if (!size) {
    ShowMessage(hwnd, display_text::kCannotLoadResource, display_text::kCannotLoadResourceEnglish);
    return FatalDisplayError(hwnd);
  }

  const std::optional<IndexedBitmap> picture = ParseDib(bytes);
  if (!picture) {
    return ShowMessage(hwnd, display_text::kPictureLoadFailed,
                       display_text::kPictureLoadFailedEnglish);
  }

  HDC dc = nullptr;
  if (surface == nullptr || surface->GetDC(&dc) != DD_OK) {
    return ShowMessage(hwnd, display_text::kNoDeviceContext, display_text::kNoDeviceContextEnglish);
  }
  CopyBitmap(dc, *picture);
  surface->ReleaseDC(dc);
  return true;
}
