#include "formats/base64.h"

#include <array>

namespace formats {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::int8_t, 256> ValueTable() {
  std::array<std::int8_t, 256> values{};
  values.fill(-1);
  for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
    values[static_cast<std::uint8_t>(kAlphabet[i])] = static_cast<std::int8_t>(i);
  }
  return values;
}
constexpr std::array<std::int8_t, 256> kValues = ValueTable();

}  // namespace

std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::size_t padding = 0;
  if (text.ends_with("==")) {
    padding = 2;
  } else if (text.ends_with('=')) {
    padding = 1;
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() / 4 * 3);
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < text.size() - padding; ++i) {
    const std::int8_t value = kValues[static_cast<std::uint8_t>(text[i])];
    if (value < 0) return std::nullopt;
    bits = (bits << 6) | static_cast<std::uint32_t>(value);
    if (i % 4 == 3) {
      bytes.push_back(static_cast<std::uint8_t>(bits >> 16));
      bytes.push_back(static_cast<std::uint8_t>(bits >> 8));
      bytes.push_back(static_cast<std::uint8_t>(bits));
      bits = 0;
    }
  }
  // The last group: two characters make one byte, three make two; the bits
  // below them must be zero, or the text has a second spelling.
  if (padding == 2) {
    if ((bits & 0xF) != 0) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(bits >> 4));
  } else if (padding == 1) {
    if ((bits & 0x3) != 0) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(bits >> 10));
    bytes.push_back(static_cast<std::uint8_t>(bits >> 2));
  }
  return bytes;
}

std::string EncodeBase64(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t bits = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
    for (int shift = 18; shift >= 0; shift -= 6) text += kAlphabet[(bits >> shift) & 0x3F];
  }
  if (bytes.size() - i == 1) {
    const std::uint32_t bits = bytes[i] << 16;
    text += kAlphabet[(bits >> 18) & 0x3F];
    text += kAlphabet[(bits >> 12) & 0x3F];
    text += "==";
  } else if (bytes.size() - i == 2) {
    const std::uint32_t bits = (bytes[i] << 16) | (bytes[i + 1] << 8);
    text += kAlphabet[(bits >> 18) & 0x3F];
    text += kAlphabet[(bits >> 12) & 0x3F];
    text += kAlphabet[(bits >> 6) & 0x3F];
    text += '=';
  }
  return text;
}

}  // namespace formats
