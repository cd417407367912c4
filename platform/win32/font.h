// The fixed-pitch Shift-JIS font of the device contexts: 16 px tall, 8 px wide
// for a single-byte character and 16 px for a double-byte one (code page 932).
// The glyphs are Unifont's Japanese shapes, turned into a table at build time
// by tools/gen_font_table.
#pragma once

#include <cstdint>

namespace platform::font {

constexpr int kHeight = 16;

// 16 rows from the top, each `width` bits from the most significant bit of its
// first byte: one byte per row for an 8 px glyph, two for a 16 px glyph.
struct Glyph {
  const std::uint8_t* rows;
  int width;
};

// Never null: a code without a glyph gets a hollow box of its width, so that
// a character the font lacks is seen rather than silently dropped.
Glyph SingleByte(std::uint8_t code);
Glyph DoubleByte(std::uint8_t lead, std::uint8_t trail);

}  // namespace platform::font
