#include "platform/win32/ddraw.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/dirty_rects.h"
#include "platform/win32/host.h"
#include "platform/win32/pixel_buffer.h"
#include "platform/win32/surface_pixels.h"
#include "platform/win32/video.h"

namespace {

// Every surface alive, so that a lost screen can take them all at once.
std::vector<IDirectDrawSurface*>& LiveSurfaces() {
  static std::vector<IDirectDrawSurface*> surfaces;
  return surfaces;
}

std::uint64_t NextNumber() {
  static std::uint64_t last = 0;
  return ++last;
}

// Nothing the game makes comes near this; it keeps a bad description from
// asking for gigabytes.
constexpr DWORD kLargestSurfaceSide = 4096;

using PixelsPtr = std::shared_ptr<platform::PixelBuffer>;

// Black pixels, or null when the memory cannot be had.
PixelsPtr NewPixels(int width, int height) {
  try {
    return std::make_shared<platform::PixelBuffer>(width, height);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A copy of the whole of one surface over the whole of another of its size.
bool CoversWhole(const RECT& from, const platform::PixelBuffer& source, const RECT& to,
                 const platform::PixelBuffer& dest) {
  const RECT whole = dest.Whole();
  return SameRect(from, source.Whole()) && SameRect(to, whole) && SameRect(from, whole);
}

bool Inside(const RECT& r, const platform::PixelBuffer& pixels) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
         r.right <= pixels.Width() && r.bottom <= pixels.Height();
}

bool RowsOverlap(const std::uint16_t* dest, const std::uint16_t* source, int count) {
  const auto d = reinterpret_cast<std::uintptr_t>(dest);
  const auto s = reinterpret_cast<std::uintptr_t>(source);
  const auto bytes = static_cast<std::uintptr_t>(count) * 2;
  return d < s + bytes && s < d + bytes;
}

// Eight pixels side by side, as GCC and clang lay out a 16-byte vector.
using EightPixels = std::int16_t __attribute__((vector_size(16)));
constexpr int kEight = sizeof(EightPixels) / sizeof(std::int16_t);

// The tiles are copied with their key at every frame: about 150,000 of the
// play screen's 307,200 pixels. A plain loop over the row was copied one pixel
// at a time by GCC at -O2 (the release, Windows and measuring builds) and
// eight at a time at -O3 (the players' Linux build). Written for eight pixels
// at a time, it is copied so at both. bench/frame_bench, PlayScreenFrame
// against PlainSdlBlits in one process, minimum of 30 runs at load 12: 1.01
// before and 0.55 after at -O2, 0.64 before and 0.54 after at -O3. Eight
// pixels are read before any is written, so a row that overlaps its source (a
// surface copied onto itself) is copied pixel by pixel, in order.
void CopyKeyedRow(std::uint16_t* dest, const std::uint16_t* source, int count,
                  const DDCOLORKEY& key) {
  const std::uint32_t low = key.dwColorSpaceLowValue;
  const std::uint32_t high = key.dwColorSpaceHighValue;
  if (low != high || low > 0xFFFF) {  // a range of keys, or one no pixel holds
    for (int i = 0; i < count; ++i) {
      if (source[i] < low || source[i] > high) dest[i] = source[i];
    }
    return;
  }
  const auto key16 = static_cast<std::uint16_t>(low);
  int i = 0;
  if (!RowsOverlap(dest, source, count)) {
    const EightPixels keys = EightPixels{} + static_cast<std::int16_t>(key16);
    for (; i + kEight <= count; i += kEight) {
      EightPixels from;
      EightPixels to;
      std::memcpy(&from, source + i, sizeof from);
      std::memcpy(&to, dest + i, sizeof to);
      const EightPixels keyed = from == keys;  // all ones where the key is
      to = (to & keyed) | (from & ~keyed);
      std::memcpy(dest + i, &to, sizeof to);
    }
  }
  for (; i < count; ++i) dest[i] = source[i] == key16 ? dest[i] : source[i];
}

bool Overlap(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// A text drawn on a surface, to be known again at the next frame.
struct KeptText {
  RECT cells;
  int x;
  int y;
  std::uint16_t ink;
  std::uint16_t paper;
  std::string bytes;
};

bool SameText(const KeptText& kept, const platform::DrawnTextCells& text) {
  return SameRect(kept.cells, text.cells) && kept.x == text.x && kept.y == text.y &&
         kept.ink == text.ink && kept.paper == text.paper && kept.bytes == text.bytes;
}

// The title draws the same five texts at the same places over the same sky
// at every frame, and only the balloons move. Copying the sky under the texts,
// drawing them again and comparing them with the screen took a sixth of a
// title frame's instructions at 640 x 480 (callgrind, 10 s of the title:
// 316,000 a frame against 266,000 with texts left, where balloons pass over
// them now and then); scripts/measure.sh, three interleaved 20 s runs at a
// load of 14 to 18, scheduler's count: the title 0.28-0.29 % of a core
// against 0.30-0.37 %, its drawing thread 0.19 % against 0.21-0.26 %.
// So the whole copy of the background leaves a text in place when nothing
// else was drawn over its part of the screen since it was drawn; the same
// text at the same place takes it back as it is, and anything else that reads
// or writes that surface, or writes the background, first gives the texts
// still left their background. The one surface whose texts were left, if any:
IDirectDrawSurface* g_textsLeftOn = nullptr;

}  // namespace

struct IDirectDrawSurface::Memory {
  explicit Memory(PixelsPtr surface) : pixels(std::move(surface)) {}

  PixelsPtr pixels;  // shared by a flipping primary surface and its back buffer
  platform::DirtyRects sinceCopy;
  platform::DirtyRects sinceFlip;
  std::vector<KeptText> texts;  // drawn since the last whole copy, nothing drawn over them since
  std::vector<KeptText> left;   // left in place by the last whole copy, owed its background
  const IDirectDrawSurface* leftFrom = nullptr;  // that copy's source
};

// ---- IDirectDrawClipper ----

HRESULT IDirectDrawClipper::SetHWnd(DWORD, HWND hwnd) {
  window_ = hwnd;
  return DD_OK;
}

ULONG IDirectDrawClipper::Release() {
  delete this;
  return 0;
}

// ---- IDirectDrawSurface ----

IDirectDrawSurface::IDirectDrawSurface(std::unique_ptr<Memory> memory, bool primary)
    : memory_(std::move(memory)), id_(NextNumber()), version_(NextNumber()), primary_(primary) {
  dc_.surface = this;
  LiveSurfaces().push_back(this);
  memory_->sinceFlip.Add(Whole());  // cleared to black: new to any screen
}

RECT IDirectDrawSurface::Whole() const {
  return memory_->pixels->Whole();
}

int IDirectDrawSurface::Width() const {
  return memory_->pixels->Width();
}

int IDirectDrawSurface::Height() const {
  return memory_->pixels->Height();
}

namespace platform {

PixelBuffer& SurfacePixels::Of(IDirectDrawSurface& surface) {
  IDirectDrawSurface::BeforeTouching(&surface, nullptr);
  surface.MarkDirty(surface.Whole());
  return *surface.memory_->pixels;
}

PixelBuffer& SurfacePixels::For(IDirectDrawSurface& surface, const RECT& area) {
  IDirectDrawSurface::BeforeTouching(&surface, nullptr);
  surface.MarkDirty(area);
  return *surface.memory_->pixels;
}

const PixelBuffer& SurfacePixels::View(const IDirectDrawSurface& surface) {
  IDirectDrawSurface::BeforeTouching(nullptr, &surface);
  return *surface.memory_->pixels;
}

// Its cells count as written again: the next whole copy goes over them, or
// leaves them again.
bool SurfacePixels::StillThere(IDirectDrawSurface& surface, const DrawnTextCells& text) {
  if (g_textsLeftOn != &surface) return false;
  std::vector<KeptText>& left = surface.memory_->left;
  const auto kept =
      std::find_if(left.begin(), left.end(), [&](const KeptText& k) { return SameText(k, text); });
  if (kept == left.end()) return false;
  surface.version_ = NextNumber();
  surface.memory_->sinceCopy.Add(kept->cells);
  surface.memory_->texts.push_back(std::move(*kept));
  left.erase(kept);
  if (left.empty()) g_textsLeftOn = nullptr;
  return true;
}

void SurfacePixels::Drawn(IDirectDrawSurface& surface, const DrawnTextCells& text) {
  // A screen holds a few texts; a surface written with texts and never copied
  // over whole keeps no more than these.
  if (surface.memory_->texts.size() >= platform::DirtyRects::kMost) return;
  surface.memory_->texts.push_back(
      KeptText{text.cells, text.x, text.y, text.ink, text.paper, std::string(text.bytes)});
}

}  // namespace platform

// A flipping primary surface's pixels are its back buffer's: what is written
// through it is written to the back buffer too.
void IDirectDrawSurface::MarkDirty(const RECT& area) {
  const RECT part = OnSurface(area);
  if (platform::IsEmpty(part)) return;
  version_ = NextNumber();
  memory_->sinceCopy.Add(part);
  memory_->sinceFlip.Add(part);
  std::erase_if(memory_->texts, [&](const KeptText& text) { return Overlap(text.cells, part); });
  if (backBuffer_ != nullptr && backBuffer_->memory_->pixels == memory_->pixels) {
    backBuffer_->MarkDirty(part);
  }
}

// Other surfaces' pixels do not concern the texts left.
void IDirectDrawSurface::BeforeTouching(const IDirectDrawSurface* written,
                                        const IDirectDrawSurface* read) {
  const IDirectDrawSurface* holder = g_textsLeftOn;
  if (holder == nullptr) return;
  const auto shares = [](const IDirectDrawSurface* surface, const IDirectDrawSurface* other) {
    return surface != nullptr && surface->memory_->pixels == other->memory_->pixels;
  };
  if (shares(written, holder) || shares(read, holder) ||
      shares(written, holder->memory_->leftFrom)) {
    PutBackUnderLeftTexts();
  }
}

void IDirectDrawSurface::PutBackUnderLeftTexts() {
  IDirectDrawSurface* surface = std::exchange(g_textsLeftOn, nullptr);
  if (surface == nullptr) return;
  Memory& memory = *surface->memory_;
  for (const KeptText& text : memory.left) {
    memory.sinceFlip.Add(surface->CopyRect(text.cells, *memory.leftFrom, text.cells, false));
  }
  memory.left.clear();
  surface->version_ = NextNumber();
}

IDirectDrawSurface::~IDirectDrawSurface() {
  BeforeTouching(this, this);
  auto& live = LiveSurfaces();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  delete backBuffer_;
}

ULONG IDirectDrawSurface::Release() {
  if (attached_) return 1;
  delete this;
  return 0;
}

void IDirectDrawSurface::MarkLost() {
  BeforeTouching(this, nullptr);
  lost_ = true;
}

HRESULT IDirectDrawSurface::Restore() {
  if (backBuffer_ != nullptr) backBuffer_->Restore();
  if (!lost_) return DD_OK;
  // The memory comes back, but not what was in it.
  BeforeTouching(this, nullptr);
  memory_->pixels->Fill(0);
  MarkDirty(Whole());
  lost_ = false;
  return DD_OK;
}

HRESULT IDirectDrawSurface::GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** attached) {
  if (caps == nullptr || attached == nullptr) return DDERR_INVALIDPARAMS;
  if ((caps->dwCaps & DDSCAPS_BACKBUFFER) == 0 || backBuffer_ == nullptr) return DDERR_NOTFOUND;
  *attached = backBuffer_;
  return DD_OK;
}

HRESULT IDirectDrawSurface::SetClipper(IDirectDrawClipper* clipper) {
  clipper_ = clipper;
  return DD_OK;
}

HRESULT IDirectDrawSurface::SetColorKey(DWORD flags, DDCOLORKEY* key) {
  if (flags != DDCKEY_SRCBLT) return DDERR_UNSUPPORTED;
  if (key == nullptr) {
    sourceKey_.reset();
  } else {
    sourceKey_ = *key;
  }
  return DD_OK;
}

HRESULT IDirectDrawSurface::GetDC(HDC* dc) {
  if (dc == nullptr) return DDERR_INVALIDPARAMS;
  if (lost_) return DDERR_SURFACELOST;
  if (dcTaken_) return DDERR_CANTCREATEDC;
  dcTaken_ = true;
  // A fresh context has GDI's default colours: black text on white.
  dc_.textColor = 0x000000;
  dc_.backColor = 0xFFFFFF;
  *dc = &dc_;
  return DD_OK;
}

HRESULT IDirectDrawSurface::ReleaseDC(HDC dc) {
  if (dc != &dc_ || !dcTaken_) return DDERR_INVALIDPARAMS;
  dcTaken_ = false;
  return DD_OK;
}

HRESULT IDirectDrawSurface::Flip(IDirectDrawSurface* target, DWORD) {
  if (!primary_ || backBuffer_ == nullptr) return DDERR_NOTFLIPPABLE;
  if (target != nullptr && target != backBuffer_) return DDERR_INVALIDPARAMS;
  if (lost_ || backBuffer_->lost_) return DDERR_SURFACELOST;
  BeforeTouching(nullptr, backBuffer_);
  IDirectDrawSurface& back = *backBuffer_;
  ++back.flips_;
  if (platform::VideoOutput* output = platform::InstalledHost().video) {
    output->PresentDirty(*back.memory_->pixels,
                         {back.id_, back.flips_, &back.memory_->sinceFlip.Rects()});
  }
  back.memory_->sinceFlip.Clear();
  return DD_OK;
}

HRESULT IDirectDrawSurface::Blt(RECT* destRect, IDirectDrawSurface* source, RECT* sourceRect,
                                DWORD flags, void* fx) {
  // Only copies with or without the source key: no fills, effects or stretches.
  if (source == nullptr || fx != nullptr) return DDERR_UNSUPPORTED;
  if ((flags & ~(DDBLT_WAIT | DDBLT_KEYSRC)) != 0) return DDERR_UNSUPPORTED;
  if (lost_ || source->lost_) return DDERR_SURFACELOST;

  const RECT from = sourceRect != nullptr ? *sourceRect : source->Whole();
  const RECT to = destRect != nullptr ? *destRect : Whole();
  if (!Inside(from, *source->memory_->pixels)) return DDERR_INVALIDRECT;
  // Sizes compared in 64 bits: a far-off destination must not overflow.
  const std::int64_t toWidth = std::int64_t{to.right} - to.left;
  const std::int64_t toHeight = std::int64_t{to.bottom} - to.top;
  if (toWidth != from.right - from.left || toHeight != from.bottom - from.top) {
    return DDERR_UNSUPPORTED;
  }
  // Without a clipper a blit must lie on the surface; with one, the part off
  // the window (here: off the surface, which is the whole screen) is cropped.
  if (clipper_ == nullptr && !Inside(to, *memory_->pixels)) return DDERR_INVALIDRECT;

  const bool keyed = (flags & DDBLT_KEYSRC) != 0 && source->sourceKey_.has_value();
  BeforeTouching(this, source);
  CopyChecked(to, *source, from, keyed);
  return DD_OK;
}

void IDirectDrawSurface::CopyChecked(const RECT& dest, const IDirectDrawSurface& source,
                                     const RECT& sourceRect, bool keyed) {
  if (!keyed && CoversWhole(sourceRect, *source.memory_->pixels, dest, *memory_->pixels)) {
    CopyWhole(source);
    return;
  }
  MarkDirty(CopyRect(dest, source, sourceRect, keyed));
}

// The background copied over the whole screen: where the screen already holds
// that same background, only the parts drawn over since are copied again.
void IDirectDrawSurface::CopyWhole(const IDirectDrawSurface& source) {
  const bool sameAsBefore =
      copyKnown_ && copiedFrom_ == source.id_ && copiedVersion_ == source.version_;
  if (sameAsBefore) {
    PutBackUnderLeftTexts();  // those of another surface: only one surface leaves texts
    LeaveTexts();
    for (const RECT& rect : memory_->sinceCopy.Rects()) {
      const bool left =
          std::any_of(memory_->left.begin(), memory_->left.end(),
                      [&](const KeptText& text) { return SameRect(text.cells, rect); });
      if (!left) memory_->sinceFlip.Add(CopyRect(rect, source, rect, false));
    }
    if (!memory_->left.empty()) {
      memory_->leftFrom = &source;
      g_textsLeftOn = this;
    }
  } else {
    const RECT rect = Whole();
    memory_->sinceFlip.Add(CopyRect(rect, source, rect, false));
  }
  memory_->texts.clear();
  if (backBuffer_ != nullptr && backBuffer_->memory_->pixels == memory_->pixels) {
    backBuffer_->MarkDirty(Whole());
  }
  version_ = NextNumber();
  memory_->sinceCopy.Clear();
  copyKnown_ = true;
  copiedFrom_ = source.id_;
  copiedVersion_ = source.version_;
}

// The texts a whole copy may leave: each is a part of its own of what was
// written since the last copy, which no other part reaches, so that the copy
// of the others leaves every pixel of it. A flipping primary surface, whose
// pixels are its back buffer's, leaves none.
void IDirectDrawSurface::LeaveTexts() {
  if (backBuffer_ != nullptr) return;
  const std::vector<RECT>& parts = memory_->sinceCopy.Rects();
  for (KeptText& text : memory_->texts) {
    const auto reached = std::count_if(parts.begin(), parts.end(),
                                       [&](const RECT& part) { return Overlap(part, text.cells); });
    const bool own = std::any_of(parts.begin(), parts.end(),
                                 [&](const RECT& part) { return SameRect(part, text.cells); });
    if (reached == 1 && own) memory_->left.push_back(std::move(text));
  }
}

RECT IDirectDrawSurface::CopyRect(const RECT& dest, const IDirectDrawSurface& source,
                                  const RECT& sourceRect, bool keyed) {
  const RECT area = OnSurface(dest);
  const int width = area.right - area.left;
  if (width <= 0) return area;  // wholly off the screen

  const int sourceX = static_cast<int>(sourceRect.left + (std::int64_t{area.left} - dest.left));
  const int sourceY = static_cast<int>(sourceRect.top + (std::int64_t{area.top} - dest.top));
  for (int row = 0; row < area.bottom - area.top; ++row) {
    std::uint16_t* to = memory_->pixels->Row(area.top + row) + area.left;
    const std::uint16_t* from = source.memory_->pixels->Row(sourceY + row) + sourceX;
    if (keyed) {
      CopyKeyedRow(to, from, width, *source.sourceKey_);
    } else {
      std::memmove(to, from, static_cast<std::size_t>(width) * 2);
    }
  }
  return area;
}

// The part of a rectangle on this surface; empty (0 x 0) when none is.
RECT IDirectDrawSurface::OnSurface(const RECT& rect) const {
  return platform::CropTo(rect, Width(), Height());
}

// ---- IDirectDraw ----

HRESULT DirectDrawCreate(void*, IDirectDraw** directDraw, void*) {
  if (directDraw == nullptr) return DDERR_INVALIDPARAMS;
  *directDraw = nullptr;
  if (platform::InstalledHost().video == nullptr) return DDERR_NODIRECTDRAWHW;
  // Each object of the interface owns itself: its Release deletes it.
  // NOLINTNEXTLINE(cppcoreguidelines-owning-memory)
  *directDraw = new IDirectDraw();
  return DD_OK;
}

HRESULT IDirectDraw::SetCooperativeLevel(HWND, DWORD flags) {
  const bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
  const bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
  if (fullScreen != exclusive) return DDERR_INVALIDPARAMS;
  exclusive_ = exclusive;
  return DD_OK;
}

HRESULT IDirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) {
  if (!exclusive_) return DDERR_WRONGMODE;
  if (bitsPerPixel != 16 || width == 0 || height == 0 || width > kLargestSurfaceSide ||
      height > kLargestSurfaceSide) {
    return DDERR_UNSUPPORTED;
  }
  platform::VideoOutput* output = platform::InstalledHost().video;
  if (output == nullptr) return DDERR_NODIRECTDRAWHW;
  if (modeSet_) output->Close();
  modeSet_ = false;
  if (!output->Open(static_cast<int>(width), static_cast<int>(height))) return DDERR_WRONGMODE;
  modeSet_ = true;
  modeWidth_ = static_cast<int>(width);
  modeHeight_ = static_cast<int>(height);
  return DD_OK;
}

HRESULT IDirectDraw::CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, void*) {
  if (desc == nullptr || surface == nullptr) return DDERR_INVALIDPARAMS;
  *surface = nullptr;
  const DWORD caps = (desc->dwFlags & DDSD_CAPS) != 0 ? desc->ddsCaps.dwCaps : 0;
  if ((caps & DDSCAPS_PRIMARYSURFACE) != 0) return CreatePrimarySurface(*desc, caps, surface);

  const DWORD sized = DDSD_WIDTH | DDSD_HEIGHT;
  if ((desc->dwFlags & sized) != sized || desc->dwWidth == 0 || desc->dwHeight == 0 ||
      desc->dwWidth > kLargestSurfaceSide || desc->dwHeight > kLargestSurfaceSide) {
    return DDERR_INVALIDPARAMS;
  }
  PixelsPtr pixels = NewPixels(static_cast<int>(desc->dwWidth), static_cast<int>(desc->dwHeight));
  if (pixels == nullptr) return DDERR_OUTOFMEMORY;
  // NOLINTNEXTLINE(cppcoreguidelines-owning-memory): released by its Release
  *surface = new IDirectDrawSurface(std::make_unique<IDirectDrawSurface::Memory>(std::move(pixels)),
                                    false);
  return DD_OK;
}

HRESULT IDirectDraw::CreatePrimarySurface(const DDSURFACEDESC& desc, DWORD caps,
                                          IDirectDrawSurface** surface) const {
  if (!modeSet_) return DDERR_WRONGMODE;
  const bool flipping = (caps & DDSCAPS_FLIP) != 0;
  const DWORD backBuffers = (desc.dwFlags & DDSD_BACKBUFFERCOUNT) != 0 ? desc.dwBackBufferCount : 0;
  if (flipping != (backBuffers > 0) || backBuffers > 1) return DDERR_UNSUPPORTED;
  PixelsPtr back = flipping ? NewPixels(modeWidth_, modeHeight_) : nullptr;
  if (flipping && back == nullptr) return DDERR_OUTOFMEMORY;
  // A flip hands the back buffer to the video output, which keeps what the
  // screen shows. A front buffer of its own would be a second whole frame
  // that nothing ever reads, so a flipping chain's front shares the back
  // buffer's pixels.
  PixelsPtr front = back != nullptr ? back : NewPixels(modeWidth_, modeHeight_);
  if (front == nullptr) return DDERR_OUTOFMEMORY;
  // NOLINTNEXTLINE(cppcoreguidelines-owning-memory): released by its Release
  auto* primary =
      new IDirectDrawSurface(std::make_unique<IDirectDrawSurface::Memory>(std::move(front)), true);
  if (back != nullptr) {
    // NOLINTNEXTLINE(cppcoreguidelines-owning-memory): goes with its primary surface
    primary->backBuffer_ = new IDirectDrawSurface(
        std::make_unique<IDirectDrawSurface::Memory>(std::move(back)), false);
    primary->backBuffer_->attached_ = true;
  }
  *surface = primary;
  return DD_OK;
}

HRESULT IDirectDraw::CreateClipper(DWORD, IDirectDrawClipper** clipper, void*) {
  if (clipper == nullptr) return DDERR_INVALIDPARAMS;
  // NOLINTNEXTLINE(cppcoreguidelines-owning-memory): released by its Release
  *clipper = new IDirectDrawClipper();
  return DD_OK;
}

ULONG IDirectDraw::Release() {
  // Giving the display object up gives the screen back, as leaving the
  // exclusive mode did.
  if (modeSet_) {
    if (platform::VideoOutput* output = platform::InstalledHost().video) output->Close();
  }
  delete this;
  return 0;
}

namespace platform {

void LoseDisplay() {
  for (IDirectDrawSurface* surface : LiveSurfaces()) surface->MarkLost();
}

std::uint16_t ToRgb565(COLORREF colour) {
  const unsigned red = colour & 0xFF;
  const unsigned green = (colour >> 8) & 0xFF;
  const unsigned blue = (colour >> 16) & 0xFF;
  return static_cast<std::uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
}

}  // namespace platform
