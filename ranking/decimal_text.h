// Numbers as the score file writes them: plain decimal, an optional minus
// sign, no leading zeros, no padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// Reads a number at the start of a text the way "%d" does: white space is
// skipped, then an optional sign and the digits up to the first non-digit.
// Reading stops at a NUL or after `size` bytes. No number there gives nullopt;
// a value beyond 32 bits is held at the nearest end of the range.
[[nodiscard]] std::optional<std::int32_t> ParseDecimal(const char* text, std::size_t size);

// Writes `value` and a NUL into a field that holds `width` characters and the
// NUL. A value whose text would not fit is held at the nearest value that does
// (for 9 characters 999999999 and -99999999), so the field never overflows.
// Returns the value written. Bytes after the NUL are left alone.
std::int32_t FormatDecimal(std::int32_t value, char* field, std::size_t width);
