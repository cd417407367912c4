// One whole play-screen frame, as the play screen draws it (background, 88
// field cells and 3 preview cells with the sheet's key, five texts, a flip to a
// captured screen), beside the same copies done the plainest way: SDL's own
// blits between 16-bit surfaces, and one memcpy of a 640 x 480 x 2 frame.
//
//   frame_bench --benchmark_repetitions=15 --benchmark_report_aggregates_only=true
//
// Compare the medians: drawing should cost at most 1.3 times the plain blits.
//
// TitleFrame is one frame of the title screen as the real screen takes it:
// the background, the five texts and six balloons each a pixel higher than in
// the frame before, the flip, and the comparison with the frame shown that
// finds what goes to the window. TitleFrame/0 does the same copying and
// comparing everything, as if nothing were known of what was written.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "core/cell.h"
#include "core/globals.h"
#include "display/draw.h"
#include "display/screen.h"
#include "platform/sdl/frame_changes.h"
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

void PlayScreenFrame(benchmark::State& state) {
  testsupport::TestDisplay display(testsupport::FakeWindow());
  const std::vector<Cell> cells = PlayScreenCells();
  for (auto _ : state) {
    DrawBackground(g_hwnd);
    DrawString(370, 20, "next", 0x000000, 0xFFFFFF);
    DrawString(370, 100, "\x93\xbe\x93_", 0x000000, 0xFFFFFF);  // 得点
    DrawString(410, 130, "12345", 0x000000, 0xFFFFFF);
    DrawString(370, 200, "\x8f\xc1\x82\xb5\x82\xbd\x90\x94", 0x000000, 0xFFFFFF);  // 消した数
    DrawString(434, 230, "67", 0x000000, 0xFFFFFF);
    for (const Cell& cell : cells) DrawTile(g_hwnd, cell);
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
    changed_ += changes_.Compare(frame, told_ ? writes : platform::FrameDirtyRects{}).size();
  }
  void Close() override {}
  std::size_t changed_ = 0;
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
  benchmark::DoNotOptimize(video.changed_);
}
BENCHMARK(TitleFrame)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void PlainSdlBlits(benchmark::State& state) {
  SDL_Surface* back = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 16, SDL_PIXELFORMAT_RGB565);
  SDL_Surface* background = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 16, SDL_PIXELFORMAT_RGB565);
  SDL_Surface* sheet = SDL_CreateRGBSurfaceWithFormat(0, 160, 400, 16, SDL_PIXELFORMAT_RGB565);
  SDL_FillRect(background, nullptr, 0x1234);
  SDL_FillRect(sheet, nullptr, 0x4321);
  SDL_Rect inset{4, 4, 32, 32};
  SDL_FillRect(sheet, &inset, 0);
  SDL_SetColorKey(sheet, SDL_TRUE, 0);
  const std::vector<Cell> cells = PlayScreenCells();
  for (auto _ : state) {
    SDL_BlitSurface(background, nullptr, back, nullptr);
    for (const Cell& cell : cells) {
      SDL_Rect from{(cell.kind & 3) * 40, (cell.kind & 7) * 40, 40, 40};
      SDL_Rect to{cell.x, cell.y, 40, 40};
      SDL_BlitSurface(sheet, &from, back, &to);
    }
  }
  benchmark::DoNotOptimize(back->pixels);
  SDL_FreeSurface(sheet);
  SDL_FreeSurface(background);
  SDL_FreeSurface(back);
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
