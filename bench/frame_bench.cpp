// One whole play-screen frame, as the play screen draws it (background, 88
// field cells and 3 preview cells with the sheet's key, five texts, a flip to a
// captured screen), beside the same copies done the plainest way: SDL's own
// blits between 16-bit surfaces holding the same pictures, and one memcpy of a
// 640 x 480 x 2 frame.
//
//   frame_bench --benchmark_repetitions=15 --benchmark_report_aggregates_only=true
//
// Compare the medians: drawing should cost at most 1.3 times the plain blits.
// PlainSdlBlits copies what PlayScreenFrame copies, from the same pictures:
// the background whole, the five texts' cells as the font drew them, the 91
// tiles with the sheet's key, and the flip's copy of the frame. The texts are
// only copied there, not drawn from the font.
//
// Measured in one process (minimum of 30 runs, load 12, 2 shared cores):
// PlayScreenFrame 85 us, PlainSdlBlits 153 us, 0.55 at -O2 and -O3 alike.
// Where two builds give different ratios, look first at whether the compiler
// copied the tiles eight pixels at a time in both (platform/win32/ddraw.cpp).
//
// TitleFrame is one frame of the title screen as the real screen takes it:
// the background, the five texts and six balloons each a pixel higher than in
// the frame before, the flip, and the comparison with the frame shown that
// finds what goes to the window. TitleFrame/0 does the same copying and
// comparing everything, as if nothing were known of what was written.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "core/cell.h"
#include "core/globals.h"
#include "display/draw.h"
#include "display/screen.h"
#include "display/tile_table.h"
#include "platform/sdl/frame_changes.h"
#include "platform/win32/font.h"
#include "platform/win32/gdi.h"
#include "platform/win32/surface_pixels.h"
#include "platform/win32/video.h"
#include "tests/support/host_part.h"
#include "tests/support/test_display.h"

namespace {

// The kinds on a busy field: every tile of the sheet in turn.
std::int32_t KindOf(int i) {
  constexpr std::int32_t kinds[] = {-5, -6, -7, -8, -1, -2, -3, -4, 1,
                                    2,  17, 34, 51, 68, 81, 98, 116};
  return kinds[i % 17];
}

std::vector<Cell> PlayScreenCells() {
  std::vector<Cell> cells;
  for (int i = 0; i < 3; ++i) cells.push_back(Cell{KindOf(i), 0, 0, 0, 0, 370 + 40 * i, 40});
  for (int row = 1; row <= 11; ++row) {
    for (int column = 0; column < 8; ++column) {
      cells.push_back(
          Cell{KindOf(row * 8 + column), 0, 0, 0, 0, 20 + 40 * column, 20 + 40 * (row - 1)});
    }
  }
  return cells;
}

// The play screen's five texts: the next piece's label, the score and the
// count of cleared pins with their figures.
struct PlayText {
  int x;
  int y;
  const char* text;
};
constexpr PlayText kPlayTexts[] = {
    {370, 20, "next"},   {370, 100, "\x93\xbe\x93_"},                     // 得点
    {410, 130, "12345"}, {370, 200, "\x8f\xc1\x82\xb5\x82\xbd\x90\x94"},  // 消した数
    {434, 230, "67"},
};

void DrawPlayScreen(const std::vector<Cell>& cells) {
  DrawBackground(g_hwnd);
  for (const PlayText& text : kPlayTexts) DrawString(text.x, text.y, text.text, 0x000000, 0xFFFFFF);
  for (const Cell& cell : cells) DrawTile(g_hwnd, cell);
}

void PlayScreenFrame(benchmark::State& state) {
  testsupport::TestDisplay display(testsupport::FakeWindow());
  const std::vector<Cell> cells = PlayScreenCells();
  for (auto _ : state) {
    DrawPlayScreen(cells);
    FlipScreen(g_hwnd);
  }
  benchmark::DoNotOptimize(display.video().LastFrame());
}
BENCHMARK(PlayScreenFrame)->Unit(benchmark::kMicrosecond);

// The real screen's comparison of each frame with the one shown.
class ComparingVideo final : public platform::VideoOutput {
 public:
  bool Open(int width, int height) override {
    changes_.Reset(width, height);
    return true;
  }
  void Present(const platform::PixelBuffer& frame) override { PresentDirty(frame, {}); }
  void PresentDirty(const platform::PixelBuffer& frame,
                    const platform::FrameDirtyRects& writes) override {
    for (const SDL_Rect& part :
         changes_.Compare(frame, told_ ? writes : platform::FrameDirtyRects{})) {
      ++changed_;
      pixels_ += static_cast<std::size_t>(part.w) * part.h;
    }
  }
  void Close() override {}
  std::size_t changed_ = 0;  // parts found
  std::size_t pixels_ = 0;   // in those parts
  bool told_ = true;

 private:
  platform::FrameChanges changes_;
};

void TitleFrame(benchmark::State& state) {
  // Made first, so that it outlives the display, which gives the screen back
  // to it as it goes.
  ComparingVideo video;
  testsupport::TestDisplay display(testsupport::FakeWindow());
  video.told_ = state.range(0) != 0;
  (void)video.Open(640, 480);
  testsupport::PutInHost(&platform::Host::video, &video);
  std::vector<Cell> balloons;
  const int starts[6][3] = {{-5, 150, 180}, {-6, 20, 280},   {-8, 200, 400},
                            {-7, 400, 600}, {-8, 370, 1000}, {-5, 220, 1100}};
  for (const auto& start : starts)
    balloons.push_back(Cell{start[0], 0, 0, 0, 0, start[1], start[2]});
  for (auto _ : state) {
    if (!video.told_) (void)platform::SurfacePixels::Of(*g_backBuffer);  // forgets what it knew
    DrawBackground(g_hwnd);
    DrawString(240, 460,
               "F1 to HI Score  \x81\xaa\x81\xab\x91I\x91\xf0  RETURN to start  ESC to end",
               0x000000, 0xFF0000);
    DrawString(460, 220, "(C)1997 Morvex2 Team", 0x000000, 0xFF0000);
    DrawString(200, 280, "\x81\x45\x8f\x89\x8b\x89", 0x000000, 0xFF0000);
    DrawString(200, 320, "\x81\x45\x92\x86\x8b\x89", 0x0000FF, 0xFF0000);
    DrawString(200, 360, "\x81\x45\x8f\xe3\x8b\x89", 0x000000, 0xFF0000);
    for (Cell& balloon : balloons) {
      balloon.y = balloon.y == -40 ? 480 : balloon.y - 1;
      DrawTile(g_hwnd, balloon);
    }
    FlipScreen(g_hwnd);
  }
  // What goes on to be scaled and sent, a frame.
  state.counters["parts"] =
      benchmark::Counter(static_cast<double>(video.changed_), benchmark::Counter::kAvgIterations);
  state.counters["pixels"] =
      benchmark::Counter(static_cast<double>(video.pixels_), benchmark::Counter::kAvgIterations);
}
BENCHMARK(TitleFrame)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// An SDL surface holding a copy of a surface's pixels.
SDL_Surface* SdlCopyOf(const IDirectDrawSurface& surface) {
  const platform::PixelBuffer& pixels = platform::SurfacePixels::View(surface);
  SDL_Surface* copy = SDL_CreateRGBSurfaceWithFormat(0, pixels.Width(), pixels.Height(), 16,
                                                     SDL_PIXELFORMAT_RGB565);
  for (int y = 0; y < pixels.Height(); ++y) {
    std::memcpy(static_cast<std::uint8_t*>(copy->pixels) + std::ptrdiff_t{y} * copy->pitch,
                pixels.Row(y), static_cast<std::size_t>(pixels.Pitch()));
  }
  return copy;
}

void PlainSdlBlits(benchmark::State& state) {
  testsupport::TestDisplay display(testsupport::FakeWindow());
  const std::vector<Cell> cells = PlayScreenCells();
  DrawPlayScreen(cells);  // a frame to take the texts' cells from
  SDL_Surface* texts = SdlCopyOf(*g_backBuffer);
  SDL_Surface* background = SdlCopyOf(*g_backgroundSurface);
  SDL_Surface* sheet = SdlCopyOf(*g_spriteSurface);
  SDL_SetColorKey(sheet, SDL_TRUE, g_spriteSurface->SourceKey()->dwColorSpaceLowValue);
  SDL_Surface* back = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 16, SDL_PIXELFORMAT_RGB565);
  std::vector<std::uint16_t> shown(std::size_t{640} * 480);
  std::vector<SDL_Rect> textCells;
  for (const PlayText& text : kPlayTexts) {
    const int width = TextWidth(text.text, static_cast<int>(std::strlen(text.text)));
    textCells.push_back(SDL_Rect{text.x, text.y, width, platform::font::kHeight});
  }
  for (auto _ : state) {
    SDL_BlitSurface(background, nullptr, back, nullptr);
    for (SDL_Rect cell : textCells) SDL_BlitSurface(texts, &cell, back, &cell);
    for (const Cell& cell : cells) {
      const std::optional<TilePos> tile = TileOfKind(cell.kind);
      if (!tile) continue;
      SDL_Rect from{tile->column * kTileSize, tile->row * kTileSize, kTileSize, kTileSize};
      SDL_Rect to{cell.x, cell.y, kTileSize, kTileSize};
      SDL_BlitSurface(sheet, &from, back, &to);
    }
    std::memcpy(shown.data(), back->pixels, shown.size() * 2);  // the flip
    benchmark::ClobberMemory();
  }
  benchmark::DoNotOptimize(shown.data());
  SDL_FreeSurface(back);
  SDL_FreeSurface(sheet);
  SDL_FreeSurface(background);
  SDL_FreeSurface(texts);
}
BENCHMARK(PlainSdlBlits)->Unit(benchmark::kMicrosecond);

void PlainMemcpy(benchmark::State& state) {
  std::vector<std::uint8_t> from(640 * 480 * 2, 7);
  std::vector<std::uint8_t> to(640 * 480 * 2);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), to.size());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(PlainMemcpy)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  g_appActive = 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
