// "FHSPRITE": 4 columns x 10 rows of 40 x 40 tiles on palette entry 0; and
// "FHMARKS", the same with the colour aid's marks on the pins and balloons.
#include <vector>

#include "tools/art/det_math.h"
#include "tools/art/pictures.h"
#include "tools/art/piece_painter.h"
#include "tools/art/quantizer.h"
#include "tools/art/sheet_colours.h"

namespace art {
namespace {

constexpr int kTile = 40;
constexpr double kDegree = kPi / 180.0;

// Flying pins, rows 2 to 8: up, up-left, left, down-left, up-right, right,
// down-right; the angle turns the downward pin clockwise to point that way.
constexpr double kFlyingAngles[7] = {180, 135, 90, 45, 225, 270, 315};

// Edge pixels that are mostly empty become background; the rest are blended
// over the dark tone of the playing fields so that outlines stay smooth there.
constexpr double kOpaqueFrom = 0.35;
const Rgb kEdgeTone = Hex(0x1A2238);

TileFrame At(int column, int row) {
  return {double(column * kTile), double(row * kTile), 1.0};
}

void PaintMarkedPin(Canvas& sheet, int colour, double angle, bool flying, int row, bool marked) {
  const Rgb base = kPieceColours[colour];
  PaintPin(sheet, base, angle, flying, At(colour, row));
  if (!marked) return;
  double x = 0;
  double y = 0;
  PinHeadCentre(angle, flying, &x, &y);
  PaintColourMark(sheet, colour, base, x, y, kPinMarkSize, At(colour, row));
}

void PaintSheet(Canvas& sheet, bool marked) {
  PaintFlask(sheet, At(0, 0));
  PaintBurst(sheet, At(1, 0));
  for (int colour = 0; colour < 4; ++colour) {
    const Rgb base = kPieceColours[colour];
    PaintMarkedPin(sheet, colour, 0.0, false, 1, marked);
    for (int d = 0; d < 7; ++d) {
      PaintMarkedPin(sheet, colour, kFlyingAngles[d] * kDegree, true, d + 2, marked);
    }
    PaintBalloon(sheet, base, At(colour, 9));
    if (marked) {
      PaintColourMark(sheet, colour, base, kBalloonMarkX, kBalloonMarkY, kBalloonMarkSize,
                      At(colour, 9));
    }
  }
}

IndexedImage MakeSheet(bool marked) {
  Canvas sheet(4 * kTile, 10 * kTile, Rgb{}, 0.0);
  PaintSheet(sheet, marked);

  Canvas flat(sheet.width(), sheet.height(), Rgb{});
  QuantizeOptions options;
  options.reserved.push_back({kSheetBackground, false});
  options.forced.assign(static_cast<size_t>(sheet.width()) * sheet.height(), -1);
  for (int y = 0; y < sheet.height(); ++y) {
    for (int x = 0; x < sheet.width(); ++x) {
      const double a = sheet.alpha(x, y);
      if (a < kOpaqueFrom) {
        options.forced[static_cast<size_t>(y) * sheet.width() + x] = 0;
      } else {
        flat.Set(x, y, Mix(kEdgeTone, sheet.colour(x, y), a));
      }
    }
  }
  return Quantize(flat, options);
}

}  // namespace

IndexedImage MakeTileSheet() {
  return MakeSheet(false);
}

IndexedImage MakeMarkedTileSheet() {
  return MakeSheet(true);
}

}  // namespace art
