// Lettering from the 8 x 16 / 16 x 16 bitmap font that the game also uses for
// its texts, read from its .hex file when the pictures are generated.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "tools/art/canvas.h"

namespace art {

struct Glyph {
  int width = 8;                         // 8 or 16 pixels; always 16 rows
  std::array<std::uint16_t, 16> rows{};  // bit 15 is the leftmost pixel
  bool Bit(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < 16 && ((rows[y] >> (15 - x)) & 1) != 0;
  }
};

class PixelFont {
 public:
  // Reads the glyphs of `wanted` from a .hex file ("XXXX:bits" per line).
  // Empty when the file cannot be read or lacks one of them.
  static std::optional<PixelFont> Load(const std::string& path, const std::u32string& wanted);

  const Glyph& Find(char32_t c) const { return glyphs_.at(c); }
  int Width(const std::u32string& text) const;

  // Text as square pixels `scale` wide, top-left corner at (x, y).
  Region Blocky(const std::u32string& text, double x, double y, double scale) const;
  // Text as smooth strokes: neighbouring pixels of each glyph are joined by
  // round-ended lines of half-width `weight` font pixels. Reads as a rounded,
  // friendly face at large sizes.
  Region Rounded(const std::u32string& text, double x, double y, double scale, double weight) const;

 private:
  std::map<char32_t, Glyph> glyphs_;
};

// The font file installed with the game's set-up.
inline constexpr const char* kFontPath = "/usr/share/unifont/unifont_jp.hex";

}  // namespace art
