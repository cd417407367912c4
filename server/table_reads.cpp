#include "server/table_reads.h"

#include <charconv>
#include <ctime>
#include <nlohmann/json.hpp>

#include "platform/base/shift_jis.h"
#include "server/tickets.h"

namespace server {

bool ParseId(std::string_view text, std::int64_t* id) {
  if (text.empty() || text.size() > 18) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *id);
  return error == std::errc() && end == text.data() + text.size() && *id >= 0;
}

std::string IsoDate(std::int64_t ms) {
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return std::string(text, length);
}

std::string NameInUtf8(const std::string& shiftJis) {
  return platform::Utf8FromShiftJis(shiftJis.c_str());
}

Answer TableAnswer(Store& store, std::string_view level) {
  std::int64_t number = 0;
  if (!ParseId(level, &number) || !IsLevel(number)) {
    return Refusal(404, "bad-level", "The level must be 0, 1 or 2.");
  }
  std::vector<TableRow> rows;
  if (store.Table(static_cast<std::int32_t>(number), kTableLength, &rows) != StoreResult::kOk) {
    return StoreUnavailable();
  }
  nlohmann::json entries = nlohmann::json::array();
  for (const TableRow& row : rows) {
    entries.push_back({{"rank", row.rank},
                       {"name", NameInUtf8(row.name)},
                       {"score", row.score},
                       {"removed", row.removedCount},
                       {"date", IsoDate(row.dateMs)},
                       {"entry", row.entryId}});
  }
  const nlohmann::json answer = {{"level", number}, {"entries", entries}};
  return JsonAnswer(200, answer.dump());
}

Answer ReplayAnswer(Store& store, std::string_view entryId) {
  std::int64_t id = 0;
  std::vector<std::uint8_t> replay;
  bool removed = false;
  const StoreResult result =
      ParseId(entryId, &id) ? store.ReplayOf(id, &replay, &removed) : StoreResult::kNotFound;
  if (result == StoreResult::kNotFound) return Refusal(404, "not-found", "No entry has this id.");
  if (result != StoreResult::kOk) return StoreUnavailable();
  // A removed entry is gone from the tables, and its game is no longer shown as one of theirs.
  if (removed) {
    return Refusal(410, "entry-removed", "The entry was removed from the world tables.");
  }
  return PlainAnswer(200, std::string(replay.begin(), replay.end()), "application/octet-stream");
}

}  // namespace server
