// The screen: the display object, the flipping primary surface and its back
// buffer, the clipper, the background and tile-sheet surfaces; their set-up,
// release and recovery, and the one fatal-error path of the display.
#include "display/screen.h"

#include "core/scene.h"
#include "core/scene_switch.h"
#include "display/bitmap_loader.h"
#include "display/message_box.h"
#include "display/messages.h"
#include "platform/base/colour_aid.h"
#include "platform/win32/ddraw.h"
#include "resources/resources.h"

IDirectDraw* g_directDraw = nullptr;
IDirectDrawSurface* g_primarySurface = nullptr;
IDirectDrawSurface* g_backBuffer = nullptr;
IDirectDrawClipper* g_clipper = nullptr;
IDirectDrawSurface* g_backgroundSurface = nullptr;
IDirectDrawSurface* g_spriteSurface = nullptr;

namespace {

constexpr int kSheetWidth = 160;
constexpr int kSheetHeight = 400;

// The plain sheet, and the colour aid's, whose pins and balloons carry marks.
constexpr char kPlainSheet[] = "FHSPRITE";
constexpr char kMarkedSheet[] = "FHMARKS";
bool g_sheetMarked = false;  // which of them the sheet surface holds

// The colour aid's sheet when the player wants it and the program carries it.
const char* ChosenSheet() {
  const bool marked =
      platform::ColourAidOn() && FindResourceA(nullptr, kMarkedSheet, RT_BITMAP) != nullptr;
  return marked ? kMarkedSheet : kPlainSheet;
}

bool LoadSheet(HWND hwnd) {
  const char* name = ChosenSheet();
  g_sheetMarked = name == kMarkedSheet;
  return LoadBitmapToSurface(hwnd, g_spriteSurface, name);
}

HRESULT CreatePrimarySurface() {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  desc.dwBackBufferCount = 1;
  return g_directDraw->CreateSurface(&desc, &g_primarySurface, nullptr);
}

HRESULT CreateOffscreenSurface(int width, int height, IDirectDrawSurface** surface) {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  desc.dwHeight = static_cast<DWORD>(height);
  desc.dwWidth = static_cast<DWORD>(width);
  return g_directDraw->CreateSurface(&desc, surface, nullptr);
}

// Steps 1 to 10 of the set-up, each of which may fail.
bool CreateDisplayObjects(HWND hwnd) {
  if (DirectDrawCreate(nullptr, &g_directDraw, nullptr) != DD_OK) return false;
  if (g_directDraw->SetCooperativeLevel(hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) != DD_OK) {
    return false;
  }
  if (g_directDraw->SetDisplayMode(kScreenWidth, kScreenHeight, 16) != DD_OK) return false;
  if (CreatePrimarySurface() != DD_OK) return false;
  DDSCAPS backBufferCaps{DDSCAPS_BACKBUFFER};
  if (g_primarySurface->GetAttachedSurface(&backBufferCaps, &g_backBuffer) != DD_OK) return false;
  if (g_directDraw->CreateClipper(0, &g_clipper, nullptr) != DD_OK) return false;
  if (g_clipper->SetHWnd(0, hwnd) != DD_OK) return false;
  if (g_backBuffer->SetClipper(g_clipper) != DD_OK) return false;
  if (CreateOffscreenSurface(kScreenWidth, kScreenHeight, &g_backgroundSurface) != DD_OK) {
    return false;
  }
  return CreateOffscreenSurface(kSheetWidth, kSheetHeight, &g_spriteSurface) == DD_OK;
}

template <typename T>
void ReleaseAndClear(T*& object) {
  if (object == nullptr) return;
  object->Release();
  object = nullptr;
}

bool DisplayReleased() {
  return g_directDraw == nullptr || g_primarySurface == nullptr || g_backgroundSurface == nullptr ||
         g_spriteSurface == nullptr;
}

}  // namespace

bool InitDisplay(HWND hwnd) {
  if (!CreateDisplayObjects(hwnd)) return FatalDisplayError(hwnd);
  // The sheet's background is keyed out; whether this succeeds is not asked.
  DDCOLORKEY key{0, 0};
  g_spriteSurface->SetColorKey(DDCKEY_SRCBLT, &key);
  if (!LoadSheet(hwnd)) return FatalDisplayError(hwnd);
  return true;
}

void FollowColourAid(HWND hwnd) {
  if (g_spriteSurface == nullptr || platform::ColourAidOn() == g_sheetMarked) return;
  if (g_sheetMarked == (ChosenSheet() == kMarkedSheet)) return;  // the aid's sheet is not carried
  // Only a lost surface keeps a carried sheet from loading, and the next
  // restore loads it again.
  static_cast<void>(LoadSheet(hwnd));
}

bool FatalDisplayError(HWND hwnd) {
  ReleaseDisplay();
  ShowDisplayMessage(hwnd, display_text::kSetupFailed, display_text::kSetupFailedEnglish);
  // WM_DESTROY releases the display once more (a no-op by then) and ends the loop.
  DestroyWindow(hwnd);
  return false;
}

void ReleaseDisplay() {
  if (g_directDraw == nullptr) return;
  ReleaseAndClear(g_spriteSurface);
  ReleaseAndClear(g_backgroundSurface);
  ReleaseAndClear(g_primarySurface);
  // The back buffer went with its flipping chain: forget it too, so that
  // nothing can draw into a freed surface. The clipper is given back as well.
  g_backBuffer = nullptr;
  ReleaseAndClear(g_clipper);
  ReleaseAndClear(g_directDraw);
}

HRESULT RestoreSurfaces(HWND hwnd) {
  if (DisplayReleased()) return DDERR_INVALIDOBJECT;
  // The primary surface brings its back buffer back with it.
  if (HRESULT result = g_primarySurface->Restore(); result != DD_OK) return result;
  if (g_backgroundSurface->Restore() == DD_OK && g_currentScene != nullptr) {
    g_currentScene->LoadImages(hwnd, g_backgroundSurface);
  }
  // A background that cannot be reloaded ends in the fatal path, which has
  // released the display by now: then there is nothing left to restore.
  if (DisplayReleased()) return DDERR_INVALIDOBJECT;
  if (HRESULT result = g_spriteSurface->Restore(); result != DD_OK) return result;
  // The sheet's reload is not looked at: a sheet that did not come back only
  // draws wrong until the next loss, as the game has always had it.
  static_cast<void>(LoadSheet(hwnd));
  return DisplayReleased() ? DDERR_INVALIDOBJECT : DD_OK;
}
