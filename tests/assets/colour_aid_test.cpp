// The colour aid's sheet against the three common kinds of colour blindness.
// Each tile is seen as a protanope, a deuteranope and a tritanope would see
// it (the severity 1.0 matrices of Machado, Oliveira and Fernandes, 2009,
// applied to linear RGB), and two pieces of different colours are told apart
// when enough of their pixels differ by more than a plain CIELAB distance. The
// plain sheet's figures are printed beside the aid's: they show which pairs
// the aid is for.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "display/dib.h"
#include "resources/resources.h"

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;
using Vec = std::array<double, 3>;

struct Deficiency {
  const char* name;
  Matrix simulate;
};

const Deficiency kDeficiencies[] = {
    {"protanopia",
     {{{0.152286, 1.052583, -0.204868},
       {0.114503, 0.786281, 0.099216},
       {-0.003882, -0.048116, 1.051998}}}},
    {"deuteranopia",
     {{{0.367322, 0.860646, -0.227968},
       {0.280085, 0.672501, 0.047413},
       {-0.011820, 0.042940, 0.968881}}}},
    {"tritanopia",
     {{{1.255528, -0.076749, -0.178779},
       {-0.078411, 0.930809, 0.147602},
       {0.004733, 0.691367, 0.303900}}}},
};

const char* const kColours[4] = {"red", "green", "blue", "magenta"};

// A pixel differs visibly beyond this CIELAB (1976) distance: ten times the
// least difference one notices, so seen at a glance; and two pieces are told
// apart when this share of their pixels does.
constexpr double kVisibleDeltaE = 20.0;
constexpr double kToldApartShare = 0.05;

double Linear(std::uint8_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

Vec Times(const Matrix& m, const Vec& v) {
  Vec out{};
  for (int row = 0; row < 3; ++row) {
    out[row] = m[row][0] * v[0] + m[row][1] * v[1] + m[row][2] * v[2];
  }
  return out;
}

// Linear sRGB to CIELAB under D65.
Vec Lab(const Vec& linear) {
  static const Matrix kToXyz = {
      {{0.4124, 0.3576, 0.1805}, {0.2126, 0.7152, 0.0722}, {0.0193, 0.1192, 0.9505}}};
  Vec clamped = linear;
  for (double& c : clamped) c = std::clamp(c, 0.0, 1.0);
  const Vec xyz = Times(kToXyz, clamped);
  const Vec white = {0.95047, 1.0, 1.08883};
  Vec f{};
  for (int i = 0; i < 3; ++i) {
    const double t = xyz[i] / white[i];
    f[i] = t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116;
  }
  return {116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])};
}

class Sheet {
 public:
  explicit Sheet(const char* name) {
    const HRSRC found = FindResourceA(nullptr, name, RT_BITMAP);
    if (found == nullptr) return;
    picture_ =
        ParseDib({static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found))),
                  SizeofResource(nullptr, found)});
  }
  [[nodiscard]] bool Read() const { return picture_.has_value(); }

  // The pixel as seen on the play field: the keyed background shows the
  // field's dark tone through.
  [[nodiscard]] Vec LinearAt(int x, int y) const {
    const std::uint8_t index = picture_->topRow[y * picture_->rowStep + x];
    if (index == 0) return {Linear(0x1A), Linear(0x22), Linear(0x38)};
    const RGBQUAD c = picture_->colours[index];
    return {Linear(c.rgbRed), Linear(c.rgbGreen), Linear(c.rgbBlue)};
  }
  [[nodiscard]] bool Drawn(int x, int y) const {
    return picture_->topRow[y * picture_->rowStep + x] != 0;
  }

 private:
  std::optional<IndexedBitmap> picture_;
};

// The share of the pixels of two tiles of the same row, drawn in either, whose
// colours as the deficiency sees them differ visibly.
double ShareTold(const Sheet& sheet, const Matrix& seen, int row, int a, int b) {
  int drawn = 0;
  int differ = 0;
  for (int y = row * 40; y < row * 40 + 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      if (!sheet.Drawn(a * 40 + x, y) && !sheet.Drawn(b * 40 + x, y)) continue;
      ++drawn;
      const Vec one = Lab(Times(seen, sheet.LinearAt(a * 40 + x, y)));
      const Vec other = Lab(Times(seen, sheet.LinearAt(b * 40 + x, y)));
      const double d = std::hypot(one[0] - other[0], one[1] - other[1], one[2] - other[2]);
      if (d > kVisibleDeltaE) ++differ;
    }
  }
  return drawn == 0 ? 0.0 : static_cast<double>(differ) / drawn;
}

// Rows of the sheet: the resting pin, a flying pin, the balloon.
constexpr std::pair<int, const char*> kPieces[] = {{1, "pin"}, {4, "flying pin"}, {9, "balloon"}};

TEST(ColourAid, EveryPairOfColoursIsToldApartInEachDeficiency) {
  const Sheet plain("FHSPRITE");
  const Sheet marked("FHMARKS");
  ASSERT_TRUE(plain.Read());
  ASSERT_TRUE(marked.Read());
  std::printf(
      "share of pixels with dE76 > %.0f, plain sheet -> colour aid (told apart: >= %.0f%%)\n",
      kVisibleDeltaE, kToldApartShare * 100);
  for (const Deficiency& deficiency : kDeficiencies) {
    for (const auto& [row, piece] : kPieces) {
      for (int a = 0; a < 4; ++a) {
        for (int b = a + 1; b < 4; ++b) {
          const double before = ShareTold(plain, deficiency.simulate, row, a, b);
          const double after = ShareTold(marked, deficiency.simulate, row, a, b);
          std::printf("%-12s %-10s %-7s/%-7s %5.1f%% -> %5.1f%%\n", deficiency.name, piece,
                      kColours[a], kColours[b], before * 100, after * 100);
          EXPECT_GE(after, kToldApartShare)
              << deficiency.name << " " << piece << " " << kColours[a] << "/" << kColours[b];
        }
      }
    }
  }
}

}  // namespace
