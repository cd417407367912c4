// Bytes as base64 text (RFC 4648, with padding): how a replay travels inside
// the JSON between the game and the world-table server.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace formats {

// Nothing for text that is not canonical base64: a character outside the
// alphabet, a length not a multiple of four, padding other than at the end,
// or bits left over in the last character.
std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text);

std::string EncodeBase64(std::span<const std::uint8_t> bytes);

}  // namespace formats
