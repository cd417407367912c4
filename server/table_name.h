// A player's name as the world tables hold it: the tables are drawn by the
// game in Shift-JIS, as its own tables are, so a name is kept in code page
// 932, at most 16 bytes, with no control characters, and not blank.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace server {

inline constexpr std::size_t kTableNameBytes = 16;

// The name in Shift-JIS, spaces at either end taken off; nothing, with the
// English sentence a refusal gives in `why`, when the tables cannot hold it.
[[nodiscard]] std::optional<std::string> TableNameFromUtf8(std::string_view utf8, std::string* why);

}  // namespace server
