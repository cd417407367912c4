// The replay's bytes travel in JSON as base64 (RFC 4648, with padding).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace server {

// Nothing for text that is not canonical base64: a character outside the
// alphabet, a length not a multiple of four, padding other than at the end,
// or bits left over in the last character.
std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text);

std::string EncodeBase64(const std::vector<std::uint8_t>& bytes);

}  // namespace server
