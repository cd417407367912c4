// The glyph table that tools/gen_font_table writes at build time
// (generated/font_table.cpp). Read it through platform/win32/font.h.
#pragma once

#include <cstdint>

namespace platform::font_table {

constexpr int kLeadCount = 60;    // 0x81-0x9F, 0xE0-0xFC
constexpr int kTrailCount = 188;  // 0x40-0x7E, 0x80-0xFC

// Single-byte codes: 16 rows of 8 px; kSingleHas[code] is 0 where there is no glyph.
extern const std::uint8_t kSingleGlyphs[256][16];
extern const std::uint8_t kSingleHas[256];
// Double-byte codes: kDoubleIndex[lead * kTrailCount + trail] (both as
// indices into the ranges above) is 0 for no glyph, else 1 + an index into
// kDoubleGlyphs, whose glyphs are 16 rows of 16 px. The browser's page
// carries only the first kDoubleGlyphCount; the kLateGlyphCount after them
// (0 elsewhere) come after its first frame, in the late file kLateGlyphsFile.
extern const std::uint16_t kDoubleIndex[kLeadCount * kTrailCount];
extern const std::uint8_t kDoubleGlyphs[][32];
extern const int kDoubleGlyphCount;
extern const int kLateGlyphCount;
inline constexpr char kLateGlyphsFile[] = "late/glyphs.late";

}  // namespace platform::font_table
