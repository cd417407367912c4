#include "tools/art/pixel_font.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <vector>

#include "tools/art/shapes.h"

namespace art {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<Glyph> ParseBits(const std::string& bits) {
  Glyph glyph;
  if (bits.size() == 32) {
    glyph.width = 8;
  } else if (bits.size() == 64) {
    glyph.width = 16;
  } else {
    return std::nullopt;
  }
  const size_t digitsPerRow = bits.size() / 16;
  for (size_t row = 0; row < 16; ++row) {
    unsigned value = 0;
    for (size_t d = 0; d < digitsPerRow; ++d) {
      const int digit = HexDigit(bits[row * digitsPerRow + d]);
      if (digit < 0) return std::nullopt;
      value = (value << 4) | static_cast<unsigned>(digit);
    }
    glyph.rows[row] = static_cast<std::uint16_t>(glyph.width == 8 ? value << 8 : value);
  }
  return glyph;
}

struct Segment {
  Point a, b;
  Box box;
};

}  // namespace

std::optional<PixelFont> PixelFont::Load(const std::string& path, const std::u32string& wanted) {
  std::ifstream in(path);
  if (!in) return std::nullopt;
  PixelFont font;
  std::string line;
  while (std::getline(in, line)) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0 || colon > 6) continue;
    char32_t code = 0;
    bool valid = true;
    for (size_t i = 0; i < colon; ++i) {
      const int digit = HexDigit(line[i]);
      valid = valid && digit >= 0;
      code = (code << 4) | static_cast<char32_t>(digit < 0 ? 0 : digit);
    }
    if (!valid || wanted.find(code) == std::u32string::npos) continue;
    if (auto glyph = ParseBits(line.substr(colon + 1))) font.glyphs_[code] = *glyph;
  }
  for (char32_t c : wanted) {
    if (!font.glyphs_.contains(c)) return std::nullopt;
  }
  return font;
}

int PixelFont::Width(const std::u32string& text) const {
  int width = 0;
  for (char32_t c : text) width += Find(c).width;
  return width;
}

Region PixelFont::Blocky(const std::u32string& text, double x, double y, double scale) const {
  std::vector<const Glyph*> glyphs;
  std::vector<double> lefts;
  double pen = x;
  for (char32_t c : text) {
    glyphs.push_back(&Find(c));
    lefts.push_back(pen);
    pen += Find(c).width * scale;
  }
  return {{x, y, pen, y + 16 * scale}, [=](double px, double py) {
            const int row = static_cast<int>(std::floor((py - y) / scale));
            for (size_t i = 0; i < glyphs.size(); ++i) {
              const int col = static_cast<int>(std::floor((px - lefts[i]) / scale));
              if (col >= 0 && col < glyphs[i]->width) return glyphs[i]->Bit(col, row);
            }
            return false;
          }};
}

Region PixelFont::Rounded(const std::u32string& text, double x, double y, double scale,
                          double weight) const {
  auto segments = std::make_shared<std::vector<Segment>>();
  const double r = weight * scale;
  double pen = x;
  auto centre = [&](int col, int row) {
    return Point{pen + (col + 0.5) * scale, y + (row + 0.5) * scale};
  };
  auto add = [&](Point a, Point b) {
    segments->push_back({a,
                         b,
                         {std::min(a.x, b.x) - r, std::min(a.y, b.y) - r, std::max(a.x, b.x) + r,
                          std::max(a.y, b.y) + r}});
  };
  for (char32_t c : text) {
    const Glyph& g = Find(c);
    for (int row = 0; row < 16; ++row) {
      for (int col = 0; col < g.width; ++col) {
        if (!g.Bit(col, row)) continue;
        const Point p = centre(col, row);
        add(p, p);
        if (g.Bit(col + 1, row)) add(p, centre(col + 1, row));
        if (g.Bit(col, row + 1)) add(p, centre(col, row + 1));
        // Diagonal steps only where no square path joins the two pixels, so
        // that corners stay crisp and staircases become slopes.
        if (g.Bit(col + 1, row + 1) && !g.Bit(col + 1, row) && !g.Bit(col, row + 1)) {
          add(p, centre(col + 1, row + 1));
        }
        if (g.Bit(col - 1, row + 1) && !g.Bit(col - 1, row) && !g.Bit(col, row + 1)) {
          add(p, centre(col - 1, row + 1));
        }
      }
    }
    pen += g.width * scale;
  }
  const Box box{x - r, y - r, pen + r, y + 16 * scale + r};
  return {box, [segments, r](double px, double py) {
            for (const Segment& s : *segments) {
              if (px < s.box.x0 || px > s.box.x1 || py < s.box.y0 || py > s.box.y1) continue;
              if (SegmentDistance({px, py}, s.a, s.b) <= r) return true;
            }
            return false;
          }};
}

}  // namespace art
