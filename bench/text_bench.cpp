// The title's five texts, as it draws them at every frame: the help line that
// runs off the right edge, the credit line and the three menu lines, black and
// one red on blue, about 20,000 pixels in all.
//
//   text_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include "display/draw.h"
#include "tests/support/test_display.h"

namespace {

// The same texts and places as the title's.
constexpr const char* kMenuText[3] = {
    "\x81"
    "E\x8f\xe3\x8b\x89(\x91\xac\x82\xb7\x82\xac\x82\xdc\x82\xb7)",
    "\x81"
    "E\x92\x86\x8b\x89(\x82\xb1\x82\xf1\x82\xc8\x82\xe0\x82\xf1\x82\xc5\x82\xb5\x82\xe5"
    "\x82\xa4)",
    "\x81"
    "E\x8f\x89\x8b\x89(\x82\xa8\x82\xce\x82\xa0\x82\xbf\x82\xe1\x82\xf1\x82\xcc\x82\xbd"
    "\x82\xdf\x82\xcc\x83\x82\x81[\x83h)",
};
constexpr int kMenuY[3] = {360, 320, 280};
constexpr const char* kHelpLine =
    "F1 to HI Score  \x81\xaa\x81\xab\x91I\x91\xf0  RETURN to start  ESC to end";
constexpr const char* kCreditLine = "(C)1997 Morvex2 Team";
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

void TitleTexts(benchmark::State& state) {
  testsupport::TestDisplay display(testsupport::FakeWindow());
  const int selection = 1;
  for (auto _ : state) {
    DrawString(240, 460, kHelpLine, kBlack, kBlue);
    DrawString(460, 220, kCreditLine, kBlack, kBlue);
    for (int level = 2; level >= 0; --level) {
      DrawString(200, kMenuY[level], kMenuText[level], level == selection ? kRed : kBlack, kBlue);
    }
    benchmark::ClobberMemory();
  }
}
BENCHMARK(TitleTexts)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
