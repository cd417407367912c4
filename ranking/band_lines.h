// The lines a text takes in the band across the top of the high-score screen:
// broken between words, never inside one (nor inside a Shift-JIS character),
// and a text longer than the band ends with "..." after its last whole word.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// At most `lines` lines of at most `columns` bytes (a byte is a column).
std::vector<std::string> BandLines(std::string_view text, std::size_t columns, std::size_t lines);
