#include "platform/win32/font.h"

#include <optional>
#include <span>
#include <vector>

#include "platform/base/late_files.h"
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

// The glyphs that come after the page's first frame, asked for when the
// first text is drawn and waited for when one of them is. Where they could
// not be fetched, or came damaged, their characters get the box of a glyph
// the font lacks for the rest of the visit: asking again at every text would
// fetch them again and again while the network is down, and waiting again for
// each of them would stop the game at every text.
const std::uint8_t* LateGlyph(int index) {
  static std::vector<std::uint8_t> glyphs;
  static bool failed = false;
  if (index < 0 || index >= font_table::kLateGlyphCount || failed) return nullptr;
  if (glyphs.empty()) {
    std::optional<std::vector<std::uint8_t>> fetched = platform::AwaitLateFile(
        font_table::kLateGlyphsFile, [](std::span<const std::uint8_t> bytes) {
          return bytes.size() == static_cast<std::size_t>(font_table::kLateGlyphCount) * 32;
        });
    failed = !fetched;
    if (failed) return nullptr;
    glyphs = std::move(*fetched);
  }
  return glyphs.data() + static_cast<std::size_t>(index) * 32;
}

void AskForLateGlyphsOnce() {
  static const bool asked =
      font_table::kLateGlyphCount > 0 &&
      platform::AskForLateFile(font_table::kLateGlyphsFile) != platform::LateFile::kNone;
  static_cast<void>(asked);
}

}  // namespace

Glyph SingleByte(std::uint8_t code) {
  AskForLateGlyphsOnce();
  if (font_table::kSingleHas[code] == 0) return Glyph{kNarrowBox, 8};
  return Glyph{font_table::kSingleGlyphs[code], 8};
}

Glyph DoubleByte(std::uint8_t lead, std::uint8_t trail) {
  AskForLateGlyphsOnce();
  const int trailIndex = TrailIndex(trail);
  if (!IsShiftJisLeadByte(lead) || trailIndex < 0) return Glyph{kWideBox, 16};
  const std::uint16_t entry =
      font_table::kDoubleIndex[LeadIndex(lead) * font_table::kTrailCount + trailIndex];
  const int carried = font_table::kDoubleGlyphCount;
  if (entry == 0) return Glyph{kWideBox, 16};
  if (entry <= carried) return Glyph{font_table::kDoubleGlyphs[entry - 1], 16};
  const std::uint8_t* late = LateGlyph(entry - 1 - carried);
  return late != nullptr ? Glyph{late, 16} : Glyph{kWideBox, 16};
}

}  // namespace platform::font
