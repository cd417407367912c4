// The present's scale into a window surface: a whole 640 x 480 frame and one
// changed 40 x 40 cell, smooth (filtered, 1280 x 800 and 1920 x 1080 screens)
// beside pixel-exact (twice the size, today's 1920 x 1080 picture), and the
// 640 x 480 window at its own size: the whole frame, and five parts of about
// 14,500 pixels in all, as much as the title changes from one frame to the
// next, at that size and smooth on a full HD screen.
//
//   scale_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/sdl/frame_scaler.h"

namespace {

void Scale(benchmark::State& state, int width, int height, platform::ScaleMode mode,
           std::initializer_list<SDL_Rect> parts) {
  SDL_Surface* target =
      SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGB888);
  std::vector<std::uint16_t> frame(640 * 480);
  for (std::size_t i = 0; i < frame.size(); ++i)
    frame[i] = static_cast<std::uint16_t>(i * 2654435761u >> 9);
  platform::FrameScaler scaler;
  scaler.Prepare(*target, 640, 480, mode);
  scaler.Draw(frame.data(), SDL_Rect{0, 0, 640, 480}, target);
  for (auto _ : state) {
    for (const SDL_Rect& part : parts)
      benchmark::DoNotOptimize(scaler.Draw(frame.data(), part, target));
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(target);
}

constexpr SDL_Rect kWhole{0, 0, 640, 480};
constexpr SDL_Rect kCell{260, 220, 40, 40};
// 14,500 pixels in five parts, at odd places and widths like the balloons'.
constexpr SDL_Rect kTitleParts[] = {{151, 179, 50, 58},
                                    {21, 279, 50, 58},
                                    {201, 399, 50, 58},
                                    {401, 121, 50, 58},
                                    {371, 301, 50, 58}};
using platform::ScaleMode;

BENCHMARK_CAPTURE(Scale, whole_smooth_1280x800, 1280, 800, ScaleMode::kSmooth, {kWhole})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Scale, whole_smooth_1920x1080, 1920, 1080, ScaleMode::kSmooth, {kWhole})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Scale, whole_exact_1920x1080, 1920, 1080, ScaleMode::kPixelExact, {kWhole})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Scale, cell_smooth_1280x800, 1280, 800, ScaleMode::kSmooth, {kCell})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Scale, cell_smooth_1920x1080, 1920, 1080, ScaleMode::kSmooth, {kCell})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Scale, cell_exact_1920x1080, 1920, 1080, ScaleMode::kPixelExact, {kCell})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Scale, title_parts_smooth_1920x1080, 1920, 1080, ScaleMode::kSmooth,
                  {kTitleParts[0], kTitleParts[1], kTitleParts[2], kTitleParts[3], kTitleParts[4]})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Scale, whole_exact_640x480, 640, 480, ScaleMode::kPixelExact, {kWhole})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Scale, title_parts_exact_640x480, 640, 480, ScaleMode::kPixelExact,
                  {kTitleParts[0], kTitleParts[1], kTitleParts[2], kTitleParts[3], kTitleParts[4]})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
