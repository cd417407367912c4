// Reading the world tables: a level's top 100 as JSON, an entry's replay, and
// the dates and names as they are shown.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "server/answer.h"
#include "server/store.h"

namespace server {

inline constexpr std::int32_t kTableLength = 100;

// GET /api/v1/tables/{level}.
Answer TableAnswer(Store& store, std::string_view level);
// GET /api/v1/entries/{id}/replay: the .mvr bytes.
Answer ReplayAnswer(Store& store, std::string_view entryId);

// "2026-12-09T02:30:00Z".
std::string IsoDate(std::int64_t ms);
// A name as kept (Shift-JIS) in UTF-8.
std::string NameInUtf8(const std::string& shiftJis);
// A decimal number of at most 18 digits; false for anything else.
[[nodiscard]] bool ParseId(std::string_view text, std::int64_t* id);

}  // namespace server
