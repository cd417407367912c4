// Code page 932 as a table of every code's character, made once from a
// converter that can only decode one code at a time: the browser's decoder,
// or a C library that decodes Shift-JIS but cannot encode it. Both ways of
// converting a text are then lookups in that table, with the same rules as
// the systems' own converters.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/base/shift_jis.h"

namespace platform {

class ShiftJisCodes {
 public:
  explicit ShiftJisCodes(const DecodeShiftJisCode& decode);

  // The text as UTF-8, as DecodeShiftJis gives it.
  [[nodiscard]] std::string Decode(std::string_view text) const;

  // The UTF-8 text in Shift-JIS; nothing when it is not UTF-8 or holds a
  // character the table lacks. A character with two codes gets the one
  // Windows gives it.
  [[nodiscard]] std::optional<std::string> Encode(std::string_view utf8) const;

  // Whether the table decoded anything: a converter that has no Shift-JIS
  // leaves it empty.
  [[nodiscard]] bool Empty() const { return decoded_.empty(); }

 private:
  std::unordered_map<std::uint16_t, std::string> decoded_;  // by (first << 8 | second)
  std::map<std::string, std::string, std::less<>> encoded_;
};

}  // namespace platform
