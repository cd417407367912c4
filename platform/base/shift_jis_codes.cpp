#include "platform/base/shift_jis_codes.h"

#include "platform/base/shift_jis.h"

namespace platform {

namespace {

std::uint16_t Key(std::string_view code) {
  const auto first = static_cast<std::uint8_t>(code[0]);
  return code.size() == 1
             ? first
             : static_cast<std::uint16_t>(first << 8 | static_cast<std::uint8_t>(code[1]));
}

// The length of the UTF-8 sequence that starts with `lead`.
std::size_t Utf8Length(std::uint8_t lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xE0) return 2;
  return lead < 0xF0 ? 3 : 4;
}

// Rows 0xED and 0xEE repeat the IBM extension of rows 0xFA-0xFC in NEC's
// order; Windows writes a character found in both with its IBM code.
bool IsNecSelectedIbm(std::uint8_t lead) {
  return lead == 0xED || lead == 0xEE;
}

}  // namespace

ShiftJisCodes::ShiftJisCodes(const DecodeShiftJisCode& decode) {
  std::map<std::string, std::string, std::less<>> necSelected;
  const auto add = [&](std::string code) {
    std::optional<std::string> utf8 = decode(code);
    if (!utf8 || utf8->empty()) return;
    decoded_.emplace(Key(code), *utf8);
    // Among codes of one character the first wins: JIS X 0208's own rows
    // come before NEC's row 13, which comes before the IBM extension.
    auto& into = IsNecSelectedIbm(static_cast<std::uint8_t>(code[0])) ? necSelected : encoded_;
    into.emplace(std::move(*utf8), std::move(code));
  };
  for (int first = 0x01; first <= 0xFF; ++first) {
    if (!IsShiftJisLeadByte(static_cast<std::uint8_t>(first))) {
      add(std::string(1, static_cast<char>(first)));
      continue;
    }
    for (int second = 0x40; second <= 0xFC; ++second) {
      if (second != 0x7F) add(std::string{static_cast<char>(first), static_cast<char>(second)});
    }
  }
  encoded_.merge(necSelected);
}

std::string ShiftJisCodes::Decode(std::string_view text) const {
  return DecodeShiftJis(text, [this](std::string_view code) -> std::optional<std::string> {
    const auto found = decoded_.find(Key(code));
    if (found == decoded_.end()) return std::nullopt;
    return found->second;
  });
}

std::optional<std::string> ShiftJisCodes::Encode(std::string_view utf8) const {
  std::string out;
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t size = Utf8Length(static_cast<std::uint8_t>(utf8[at]));
    const auto found = encoded_.find(utf8.substr(at, size));
    if (found == encoded_.end()) return std::nullopt;
    out += found->second;
    at += size;
  }
  return out;
}

}  // namespace platform
