#include "platform/win32/font.h"

#include "platform/base/shift_jis.h"
#include "platform/win32/font_table.h"

namespace platform::font {

namespace {

constexpr std::uint8_t kNarrowBox[16] = {0x00, 0x00, 0x7E, 0x42, 0x42, 0x42, 0x42, 0x42,
                                         0x42, 0x42, 0x42, 0x42, 0x42, 0x7E, 0x00, 0x00};
constexpr std::uint8_t kWideBox[32] = {
    0x00, 0x00, 0x00, 0x00, 0x3F, 0xFC, 0x20, 0x04, 0x20, 0x04, 0x20, 0x04, 0x20, 0x04, 0x20, 0x04,
    0x20, 0x04, 0x20, 0x04, 0x20, 0x04, 0x20, 0x04, 0x20, 0x04, 0x3F, 0xFC, 0x00, 0x00, 0x00, 0x00};

int LeadIndex(std::uint8_t lead) {
  return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
}

// -1 for a byte that cannot follow a lead byte.
int TrailIndex(std::uint8_t trail) {
  if (trail >= 0x40 && trail <= 0x7E) return trail - 0x40;
  if (trail >= 0x80 && trail <= 0xFC) return trail - 0x41;
  return -1;
}

}  // namespace

Glyph SingleByte(std::uint8_t code) {
  if (font_table::kSingleHas[code] == 0) return Glyph{kNarrowBox, 8};
  return Glyph{font_table::kSingleGlyphs[code], 8};
}

Glyph DoubleByte(std::uint8_t lead, std::uint8_t trail) {
  const int trailIndex = TrailIndex(trail);
  if (!IsShiftJisLeadByte(lead) || trailIndex < 0) return Glyph{kWideBox, 16};
  const std::uint16_t entry =
      font_table::kDoubleIndex[LeadIndex(lead) * font_table::kTrailCount + trailIndex];
  if (entry == 0 || entry > font_table::kDoubleGlyphCount) return Glyph{kWideBox, 16};
  return Glyph{font_table::kDoubleGlyphs[entry - 1], 16};
}

}  // namespace platform::font
