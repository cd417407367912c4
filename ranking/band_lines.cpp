#include "ranking/band_lines.h"

#include "platform/base/shift_jis.h"

namespace {

constexpr std::string_view kMore = "...";

void SkipSpaces(std::string_view& text) {
  while (text.starts_with(' ')) text.remove_prefix(1);
}

// The longest start of `text` within `limit` that ends between two words; a
// word longer than the whole line (or text without spaces, as Japanese is)
// is broken between two characters.
std::size_t LineEnd(std::string_view text, std::size_t limit) {
  const std::size_t whole = platform::WholeShiftJisLength(text, limit);
  // Shift-JIS never uses a space as a character's second byte.
  if (whole < text.size() && text[whole] == ' ') return whole;
  const std::size_t space = text.substr(0, whole).rfind(' ');
  if (space == std::string_view::npos || space == 0) return whole;
  return space;
}

}  // namespace

std::vector<std::string> BandLines(std::string_view text, std::size_t columns, std::size_t lines) {
  std::vector<std::string> band;
  SkipSpaces(text);
  while (!text.empty() && band.size() < lines) {
    if (text.size() <= columns) {
      band.emplace_back(text);
      break;
    }
    if (band.size() + 1 == lines) {
      std::string_view shown = text.substr(0, LineEnd(text, columns - kMore.size()));
      while (shown.ends_with(' ')) shown.remove_suffix(1);
      band.push_back(std::string(shown) + std::string(kMore));
      break;
    }
    std::string_view line = text.substr(0, LineEnd(text, columns));
    text.remove_prefix(line.size());
    while (line.ends_with(' ')) line.remove_suffix(1);
    band.emplace_back(line);
    SkipSpaces(text);
  }
  return band;
}
