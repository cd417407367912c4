// "BRANK": the high-score table, ruled in yellow on black. The game writes
// each entry's name, date, score and count into the lower half of its row.
#include <string>

#include "tools/art/background_painting.h"
#include "tools/art/pictures.h"
#include "tools/art/piece_painter.h"
#include "tools/art/shapes.h"
#include "tools/art/sheet_colours.h"

namespace art {
namespace {

constexpr double kColumns[] = {20, 60, 193, 474, 571, 620};
constexpr double kTop = 35, kHeadingBottom = 70, kBottom = 470, kRow = 40;
const Rgb kRule = Hex(0xFFEC00);

void PaintRules(Canvas& canvas) {
  for (double x : kColumns) canvas.Fill(Rect(x, kTop, x + 1, kBottom + 1), kRule);
  canvas.Fill(Rect(kColumns[0], kTop, kColumns[5] + 1, kTop + 1), kRule);
  for (double y = kHeadingBottom; y <= kBottom; y += kRow) {
    canvas.Fill(Rect(kColumns[0], y, kColumns[5] + 1, y + 1), kRule);
  }
}

// Centres `text` in the cell x0..x1, y0..y1; glyph ink spans rows 2..13.
void Letter(Canvas& canvas, const PixelFont& font, const std::u32string& text, double x0, double x1,
            double y0, double y1, double scale, Rgb top, Rgb bottom) {
  const double x = (x0 + x1) / 2 - font.Width(text) * scale / 2;
  const double y = (y0 + y1) / 2 - 8 * scale;
  canvas.Fill(font.Rounded(text, x, y, scale, 0.5), [=](double, double py) {
    return Mix(top, bottom, (py - y - 2 * scale) / (12 * scale));
  });
}

}  // namespace

IndexedImage MakeRankingPicture(const PixelFont& font) {
  Canvas canvas(kScreenWidth, kScreenHeight, Rgb{});
  PaintRules(canvas);
  Letter(canvas, font, U"The most powerful persons of ten", 0, 640, 0, kTop, 2, Hex(0xFFF7A8),
         Hex(0xFF9A1E));
  // A balloon at each end of the title line.
  PaintBalloon(canvas, kPieceColours[0], {24, 1, 0.8});
  PaintBalloon(canvas, kPieceColours[2], {584, 1, 0.8});
  const std::u32string headings[] = {U"NAME", U"THEN TIME", U"POINT", U"\u6570"};  // 数
  for (int i = 0; i < 4; ++i) {
    Letter(canvas, font, headings[i], kColumns[i + 1], kColumns[i + 2], kTop, kHeadingBottom, 1.5,
           Hex(0xC8F4FF), Hex(0x5AB4FF));
  }
  const std::u32string ranks = U"123456789X";
  for (int i = 0; i < 10; ++i) {
    const double y = kHeadingBottom + kRow * i;
    Letter(canvas, font, ranks.substr(i, 1), kColumns[0], kColumns[1], y, y + kRow, 2,
           Hex(0xFFF7A8), Hex(0xFF9A1E));
  }
  return FlattenScreen(canvas, {{0, 0, 640, 480}});
}

}  // namespace art
